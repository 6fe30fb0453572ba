#include "ui/MainWindowLayout.h"

#include <cstring>
#include <iterator>

#include "app/Config.h"

namespace {

constexpr int kNoField = -1;
constexpr int kNoChoice = -1;
constexpr int F(TextField f) { return static_cast<int>(f); }
constexpr int C(Choice c) { return static_cast<int>(c); }

using K = ControlKind;
using P = Page;
using R = RadioGroup;
using E = UiEvent;
constexpr TextSource kFixed = TextSource::Fixed;

constexpr const char* kQuarantineHeader =
    "杀灭的病毒将被以特殊格式移动到“C:\\KorvaneScanData\\data\\quarantine”目录中。您可以通过以下方式恢复被隔离的文件：";
constexpr const char* kTextT1 =
    "1、采用Lumor论坛独立算法对隔离文件进行还原。\r\n"
    "2、此工具对隔离文件的恢复较缓慢，如果需要恢复的文件较大，请采用“恢复方式2”进行恢复。";
constexpr const char* kTextT2 =
    "1)、首先您需要安装 ESET Smart Security 5.0/6.0\r\n"
    "2)、勾选“复制隔离文件到 ESET Smart Security 隔离区”点击“复制”。\r\n"
    "3)、注销计算机，在 ESET Smart Security 5.0/6.0 “工具”-“隔离”中恢复被误杀的文件。";
constexpr const char* kTextT3 =
    "1、此工具杀毒引擎为 ESET 最新 版本，采用命令行进行安全扫描。\r\n"
    "2、纯绿色版本不对系统以及注册表写入任何内容。\r\n"
    "3、ESET 独立扫描引擎，无需安装 ESET 软件。\r\n"
    "4、病毒库可免费更新，无需序列号以及 ID 的支持。\r\n"
    "5、强大的扫描功能，可快速、全盘以及自定义扫描您的计算机。\r\n"
    "6、扫描前请先更新数据库，即可杀灭最新威胁。\r\n"
    "7、设置病毒“隔离区”，以防止某些重要文件被清除时进行恢复。\r\n"
    "\r\n";
constexpr const char* kTextT4 = "";

// clang-format off
constexpr LayoutRow kLayout[] = {
    // name, kind, text, source, page, group, x, y, w, h, flags, radio group, field, choice, event
    {"图片框1", K::Picture, "", kFixed, P::None, nullptr, -12, 0, 437, 40, 0, R::None, kNoField, kNoChoice, E::None},
    {"选择夹1", K::Tab, "", kFixed, P::None, nullptr, -3, 40, 444, 364, kFontArial, R::None, kNoField, kNoChoice, E::None},

    // Page Home
    {"分组框5", K::GroupBox, "扫描", kFixed, P::Home, nullptr, 11, 37, 411, 163, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"标签4", K::Label, "对您的计算机进行安全扫描，以免遭病毒、木马以及恶意软件的威胁。", kFixed, P::Home, "分组框5", 20, 24, 371, 17, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"单选框8", K::RadioButton, "快速扫描（扫描C盘、引导区以及内存）", kFixed, P::Home, nullptr, 32, 90, 243, 16, kFontArial, R::Home, kNoField, C(Choice::ScanFast), E::None},
    {"单选框2", K::RadioButton, "自定义扫描（扫描您选择的文件夹）", kFixed, P::Home, nullptr, 32, 111, 251, 24, kFontArial, R::Home, kNoField, C(Choice::ScanCustomFolder), E::None},
    {"单选框7", K::RadioButton, "全盘扫描（扫描完毕后询问处理威胁方式）", kFixed, P::Home, nullptr, 32, 141, 267, 17, kFontArial, R::Home, kNoField, C(Choice::ScanFullAsk), E::None},
    {"单选框1", K::RadioButton, "全盘扫描（扫描过程中自动处理威胁）", kFixed, P::Home, nullptr, 32, 167, 227, 16, kFontArial, R::Home, kNoField, C(Choice::ScanFullClean), E::None},
    {"分组框4", K::GroupBox, "其他", kFixed, P::Home, nullptr, 10, 217, 411, 93, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"单选框9", K::RadioButton, "查看扫描日志", kFixed, P::Home, nullptr, 33, 246, 96, 18, kFontArial, R::Home, kNoField, C(Choice::ViewScanLog), E::None},
    {"单选框10", K::RadioButton, "删除扫描日志", kFixed, P::Home, nullptr, 34, 277, 96, 24, kFontArial, R::Home, kNoField, C(Choice::ClearScanLog), E::None},
    {"单选框12", K::RadioButton, "删除隔离区文件", kFixed, P::Home, nullptr, 164, 243, 112, 24, kFontArial, R::Home, kNoField, C(Choice::ClearQuarantine), E::None},
    {"单选框11", K::RadioButton, "删除更新缓存文件", kFixed, P::Home, nullptr, 163, 277, 128, 24, kFontArial, R::Home, kNoField, C(Choice::ClearUpdateCache), E::None},
    {"单选框3", K::RadioButton, "加载右键扫描", kFixed, P::Home, nullptr, 310, 244, 104, 24, 0, R::Home, kNoField, C(Choice::AddContextMenuEntry), E::None},
    {"单选框13", K::RadioButton, "卸载右键扫描", kFixed, P::Home, nullptr, 309, 278, 102, 24, 0, R::Home, kNoField, C(Choice::RemoveContextMenuEntry), E::None},
    {"按钮2", K::Button, "确定", kFixed, P::Home, nullptr, 339, 321, 80, 24, kFontArial, R::None, kNoField, kNoChoice, E::HomeOk},
    {"编辑框6", K::Edit, "", TextSource::ReleaseUrl, P::Home, nullptr, 48, 200, 355, 21, kHidden, R::None, F(TextField::ReleaseUrl), kNoChoice, E::None},
    {"编辑框3", K::Edit, "KorvaneScan", kFixed, P::Home, nullptr, 128, 328, 80, 20, kHidden | kDisabled, R::None, F(TextField::MenuName), kNoChoice, E::None},

    // Page 更新
    {"分组框7", K::GroupBox, "病毒库更新", kFixed, P::Update, nullptr, 11, 37, 411, 187, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"标签13", K::Label, "更新 ESET 数据库以杀灭最新威胁。", kFixed, P::Update, "分组框7", 12, 20, 187, 17, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"标签1", K::Label, "当前病毒库版本:", kFixed, P::Update, "分组框7", 12, 51, 96, 16, 0, R::None, kNoField, kNoChoice, E::None},
    {"编辑框1", K::Edit, "", kFixed, P::Update, "分组框7", 104, 48, 99, 24, kBorderless | kGreenText, R::None, F(TextField::CurrentDbVersion), kNoChoice, E::None},
    {"标签5", K::Label, "线上病毒库版本:", kFixed, P::Update, "分组框7", 212, 51, 96, 16, 0, R::None, kNoField, kNoChoice, E::None},
    {"编辑框2", K::Edit, "", kFixed, P::Update, "分组框7", 304, 47, 100, 24, kBorderless | kGreenText, R::None, F(TextField::OnlineDbVersion), kNoChoice, E::None},
    {"单选框6", K::RadioButton, "更新数据库", kFixed, P::Update, "分组框7", 15, 82, 80, 14, kFontArial, R::Update, kNoField, C(Choice::UpdateDatabase), E::None},
    {"单选框5", K::RadioButton, "停止更新", kFixed, P::Update, "分组框7", 193, 82, 86, 18, kFontArial, R::Update, kNoField, C(Choice::StopUpdate), E::None},
    {"按钮9", K::Button, "确定", kFixed, P::Update, "分组框7", 337, 80, 60, 20, kFontArial, R::None, kNoField, kNoChoice, E::DatabaseUpdateOk},
    {"进度条1", K::ProgressBar, "", kFixed, P::Update, "分组框7", 8, 118, 391, 26, kUpdateProgressBar, R::None, kNoField, kNoChoice, E::None},
    {"标签2", K::Label, "", kFixed, P::Update, "分组框7", 8, 152, 376, 16, kCentered | kGreenText, R::None, F(TextField::ProgressText), kNoChoice, E::None},
    {"分组框1", K::GroupBox, "软件更新", kFixed, P::Update, nullptr, 11, 243, 411, 95, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"标签8", K::Label, "当前版本:", kFixed, P::Update, nullptr, 22, 271, 56, 16, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"编辑框4", K::Edit, "1.5.1.1", kFixed, P::Update, "分组框1", 73, 24, 105, 24, kBorderless | kGreenText, R::None, F(TextField::CurrentVersion), kNoChoice, E::None},
    {"标签10", K::Label, "线上版本:", kFixed, P::Update, "分组框1", 11, 55, 80, 16, 0, R::None, kNoField, kNoChoice, E::None},
    {"编辑框5", K::Edit, "", kFixed, P::Update, "分组框1", 74, 51, 105, 24, kBorderless | kGreenText, R::None, F(TextField::OnlineVersion), kNoChoice, E::None},
    {"按钮4", K::Button, "检查更新", kFixed, P::Update, "分组框1", 336, 64, 60, 20, kFontArial, R::None, kNoField, kNoChoice, E::CheckVersion},
    {"超级链接框1", K::Link, "", TextSource::ForumBase, P::Update, "分组框1", 200, 67, 128, 20, kFontArial, R::None, kNoField, kNoChoice, E::ForumLink},

    // Page 隔离
    {"标签7", K::Label, kQuarantineHeader, kFixed, P::Quarantine, nullptr, 14, 41, 389, 31, kWordWrap, R::None, kNoField, kNoChoice, E::None},
    {"分组框9", K::GroupBox, "恢复方式一", kFixed, P::Quarantine, nullptr, 11, 79, 411, 112, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"标签6", K::Label, kTextT1, kFixed, P::Quarantine, "分组框9", 8, 24, 384, 54, kFontArial | kWordWrap, R::None, kNoField, kNoChoice, E::None},
    {"按钮3", K::Button, "打开隔离目录", kFixed, P::Quarantine, "分组框9", 172, 74, 96, 24, 0, R::None, kNoField, kNoChoice, E::OpenQuarantine},
    {"按钮1", K::Button, "恢复隔离文件", kFixed, P::Quarantine, "分组框9", 296, 73, 96, 24, kRestoreButton, R::None, kNoField, kNoChoice, E::RunRestoreTool},
    {"分组框6", K::GroupBox, "恢复方式二", kFixed, P::Quarantine, nullptr, 11, 203, 411, 135, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"标签9", K::Label, kTextT2, kFixed, P::Quarantine, "分组框6", 8, 23, 400, 71, kFontArial | kWordWrap, R::None, kNoField, kNoChoice, E::None},
    {"单选框4", K::RadioButton, "复制隔离文件到 ESET Smart Security 隔离区", kFixed, P::Quarantine, nullptr, 18, 298, 288, 24, kFontArial, R::Quarantine, kNoField, C(Choice::CopyToEsetQuarantine), E::None},
    {"按钮5", K::Button, "复制", kFixed, P::Quarantine, nullptr, 328, 296, 75, 24, kFontArial, R::None, kNoField, kNoChoice, E::CopyToQuarantine},

    // Page 说明
    {"分组框3", K::GroupBox, "版本特点", kFixed, P::Notes, nullptr, 11, 37, 411, 131, kFontArial, R::None, kNoField, kNoChoice, E::None},
    {"标签3", K::Label, kTextT3, kFixed, P::Notes, nullptr, 17, 55, 386, 111, kFontArial | kWordWrap, R::None, kNoField, kNoChoice, E::None},
    {"超级列表框_国内", K::ListView, "", kFixed, P::Notes, nullptr, 11, 170, 488, 184, kNewsList, R::None, kNoField, kNoChoice, E::None},

    // Page 关于
    {"标签11", K::Label, kTextT4, kFixed, P::About, nullptr, 117, 76, 144, 88, kWordWrap, R::None, kNoField, kNoChoice, E::None},
    {"标签12", K::Label, "问题反馈：", kFixed, P::About, nullptr, 116, 173, 56, 16, 0, R::None, kNoField, kNoChoice, E::None},
    {"超级链接框2", K::Link, "", TextSource::ForumBase, P::About, nullptr, 169, 172, 109, 20, kFontArial, R::None, kNoField, kNoChoice, E::ForumLink},
};
// clang-format on

}  // namespace

std::span<const LayoutRow> MainWindowLayout() { return kLayout; }

const LayoutRow* FindLayoutRow(const char* name) {
    for (const LayoutRow& row : kLayout) {
        if (std::strcmp(row.name, name) == 0) return &row;
    }
    return nullptr;
}

const LayoutRow* FindFieldRow(TextField field) {
    for (const LayoutRow& row : kLayout) {
        if (row.field == F(field)) return &row;
    }
    return nullptr;
}

const LayoutRow* FindChoiceRow(Choice choice) {
    for (const LayoutRow& row : kLayout) {
        if (row.choice == C(choice)) return &row;
    }
    return nullptr;
}

const LayoutRow* FindFlagRow(unsigned flag) {
    for (const LayoutRow& row : kLayout) {
        if (row.flags & flag) return &row;
    }
    return nullptr;
}

Rect PositionInContainer(const LayoutRow& row) {
    Rect r{row.x, row.y, row.width, row.height};
    if (row.group) {
        if (const LayoutRow* group = FindLayoutRow(row.group)) {
            r.x += group->x;
            r.y += group->y;
        }
    }
    return r;
}

int ControlIdOf(const LayoutRow& row) {
    return kFirstControlId + static_cast<int>(&row - std::begin(kLayout));
}

const char* InitialText(const LayoutRow& row) {
    switch (row.source) {
        case TextSource::ReleaseUrl: return ReleasePackageUrl().c_str();
        case TextSource::ForumBase: return ForumBase().c_str();
        case TextSource::Fixed: break;
    }
    return row.text;
}
