#pragma once

struct AppContext;

// Fills the news list of page 说明 from the forum's RSS feed, once per run.
void LoadNewsList(AppContext& ctx);
