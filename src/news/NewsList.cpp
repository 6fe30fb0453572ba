#include "news/NewsList.h"

#include "app/AppContext.h"

void LoadNewsList(AppContext&) {
    // The feed is not read yet: the list stays empty.
}
