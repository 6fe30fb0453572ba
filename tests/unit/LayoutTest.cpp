#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/MainWindowLayout.h"

TEST(MainWindowLayout, NamesAreUniqueAndGroupsExistOnTheSamePage) {
    std::set<std::string> names;
    for (const LayoutRow& row : MainWindowLayout()) {
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        if (row.group) {
            const LayoutRow* group = FindLayoutRow(row.group);
            ASSERT_NE(group, nullptr) << row.name;
            EXPECT_EQ(group->kind, ControlKind::GroupBox) << row.name;
            EXPECT_EQ(group->page, row.page) << row.name;
        }
    }
}

TEST(MainWindowLayout, EveryRoleHasExactlyOneControl) {
    for (int f = 0; f <= static_cast<int>(TextField::ProgressText); ++f) {
        int count = 0;
        for (const LayoutRow& row : MainWindowLayout()) count += row.field == f;
        EXPECT_EQ(count, 1) << "field " << f;
    }
    for (int c = 0; c <= static_cast<int>(Choice::CopyToEsetQuarantine); ++c) {
        int count = 0;
        for (const LayoutRow& row : MainWindowLayout()) count += row.choice == c;
        EXPECT_EQ(count, 1) << "choice " << c;
        EXPECT_EQ(FindChoiceRow(static_cast<Choice>(c))->kind, ControlKind::RadioButton);
    }
}

TEST(MainWindowLayout, HomeChoicesFormOneRadioGroupOnPageHome) {
    for (int c = 0; c <= static_cast<int>(Choice::RemoveContextMenuEntry); ++c) {
        const LayoutRow* row = FindChoiceRow(static_cast<Choice>(c));
        EXPECT_EQ(row->radioGroup, RadioGroup::Home) << row->name;
        EXPECT_EQ(row->page, Page::Home) << row->name;
    }
    EXPECT_EQ(FindChoiceRow(Choice::UpdateDatabase)->radioGroup, FindChoiceRow(Choice::StopUpdate)->radioGroup);
    EXPECT_NE(FindChoiceRow(Choice::UpdateDatabase)->radioGroup, RadioGroup::Home);
}

TEST(MainWindowLayout, ControlsInsideGroupsAreOffsetByTheGroup) {
    const Rect bar = PositionInContainer(*FindLayoutRow("进度条1"));  // group 分组框7 at 11, 37
    EXPECT_EQ(bar.x, 19);
    EXPECT_EQ(bar.y, 155);
    EXPECT_EQ(bar.width, 391);
    EXPECT_EQ(bar.height, 26);
    const Rect label = PositionInContainer(*FindLayoutRow("标签8"));  // on the page itself
    EXPECT_EQ(label.x, 22);
    EXPECT_EQ(label.y, 271);
}

TEST(MainWindowLayout, ConfiguredTextsComeFromTheHosts) {
    EXPECT_STREQ(InitialText(*FindFieldRow(TextField::ReleaseUrl)), "http://localhost:81/eset/Korvane_Scan.zip");
    EXPECT_STREQ(InitialText(*FindLayoutRow("超级链接框1")), "http://localhost");
    EXPECT_STREQ(InitialText(*FindLayoutRow("超级链接框2")), "http://localhost");
    EXPECT_STREQ(InitialText(*FindFieldRow(TextField::MenuName)), "KorvaneScan");
}
