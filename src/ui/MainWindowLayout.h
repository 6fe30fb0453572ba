#pragma once
#include <cstddef>
#include <span>

#include "ui/UiEvent.h"
#include "ui/WindowFields.h"

enum class ControlKind { Picture, Tab, GroupBox, Label, RadioButton, Button, Edit, ProgressBar, Link, ListView };

// Pages of the tab control, in tab order. Window-level controls have no page.
enum class Page { None = -1, Home = 0, Update = 1, Quarantine = 2, Notes = 3, About = 4 };
inline constexpr int kPageCount = 5;

// Where a control's initial text comes from.
enum class TextSource { Fixed, ReleaseUrl, ForumBase };

// Layout flags.
enum : unsigned {
    kFontArial = 1u << 0,    // Arial, 12-pixel character height; otherwise the default GUI font
    kHidden = 1u << 1,       // never shown
    kDisabled = 1u << 2,
    kBorderless = 1u << 3,   // edit without a border
    kGreenText = 1u << 4,
    kCentered = 1u << 5,
    kWordWrap = 1u << 6,
    kRestoreButton = 1u << 7,  // the button start-up may disable
    kNewsList = 1u << 8,
    kUpdateProgressBar = 1u << 9,
};

// Radio groups: selecting a button clears the others of its group.
enum class RadioGroup { None, Home, Update, Quarantine };

struct LayoutRow {
    const char* name;     // the control's layout name, e.g. "按钮2"
    ControlKind kind;
    const char* text;     // caption or initial text, UTF-8 (TextSource::Fixed)
    TextSource source;
    Page page;
    const char* group;    // the group box it is placed in (coordinates relative to it), or nullptr
    int x, y, width, height;  // relative to the container
    unsigned flags;
    RadioGroup radioGroup;
    int field;            // a TextField, or -1
    int choice;           // a Choice, or -1
    UiEvent event;        // the click's event
};

// The window itself.
inline constexpr const char* kMainWindowTitle = "Korvane Scan";
inline constexpr int kMainWindowWidth = 432;
inline constexpr int kMainWindowHeight = 428;
inline constexpr const char* kPageTitles[kPageCount] = {"Home", "更新", "隔离", "说明", "关于"};
inline constexpr const char* kNewsColumnTitles[2] = {"Lumor订阅(RSS)：", "地址"};
inline constexpr int kNewsColumnWidths[2] = {450, 1};
inline constexpr int kProgressRange = 10000;

// Every control of the main window, in creation order.
std::span<const LayoutRow> MainWindowLayout();

// The row of a control by its layout name, or nullptr.
const LayoutRow* FindLayoutRow(const char* name);
// The row that carries a role, or nullptr.
const LayoutRow* FindFieldRow(TextField field);
const LayoutRow* FindChoiceRow(Choice choice);
const LayoutRow* FindFlagRow(unsigned flag);

// Position of a control relative to the tab control (for page controls) or to
// the window's client area (for window-level controls): its own position plus
// that of the group box it sits in.
struct Rect { int x, y, width, height; };
Rect PositionInContainer(const LayoutRow& row);

// Control id of a row: a fixed base plus the row's index in the table.
inline constexpr int kFirstControlId = 1000;
int ControlIdOf(const LayoutRow& row);

// The initial text of a control, with configured addresses filled in.
const char* InitialText(const LayoutRow& row);
