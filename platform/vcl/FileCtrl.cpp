#include "platform/vcl/FileCtrl.h"

#include <algorithm>
#include <cctype>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/vcl/PublishControl.h"
#include "platform/rtl/StrUtils.h"
#include "platform/vcl/DrawUtils.h"
#include "platform/vcl/WidgetSet.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"

namespace {

const TIdentTable TextCaseIdents = {{tcLowerCase, "tcLowerCase"}, {tcUpperCase, "tcUpperCase"}};

constexpr TColor kKey = RGB(255, 0, 255);  // the icons' transparent colour (bottom-left pixel)

// 16 x 16 folder pictures, closed and open, and a fixed drive.
const TBitmap& FolderIcon(bool open)
{
    static TBitmap icons[2];
    TBitmap& b = icons[open ? 1 : 0];
    if (!b.Empty()) return b;
    b.SetSize(16, 16);
    TCanvas& c = *b.Canvas();
    c.Brush()->SetColor(kKey);
    c.FillRect(Rect(0, 0, 16, 16));
    TColor edge = RGB(128, 128, 0), body = RGB(255, 255, 0), light = RGB(255, 255, 192);
    // Tab and body.
    c.Brush()->SetColor(edge);
    c.FrameRect(Rect(1, 3, 7, 5));
    c.FrameRect(Rect(1, 4, 15, 14));
    c.Brush()->SetColor(body);
    c.FillRect(Rect(2, 4, 6, 5));
    c.FillRect(Rect(2, 5, 14, 13));
    c.Brush()->SetColor(light);
    c.FillRect(Rect(2, 5, 14, 6));
    if (open) {
        // The front flap tilted open.
        c.Brush()->SetColor(edge);
        for (int y = 7; y < 14; ++y) c.FillRect(Rect(3 + (13 - y) / 2, y, 4 + (13 - y) / 2, y + 1));
        c.FillRect(Rect(3, 7, 16, 8));
        c.FillRect(Rect(1, 13, 14, 14));
        c.Brush()->SetColor(light);
        for (int y = 8; y < 13; ++y) c.FillRect(Rect(4 + (13 - y) / 2, y, 15 - (y - 8) / 2, y + 1));
    }
    return b;
}

const TBitmap& DriveIcon()
{
    static TBitmap b;
    if (!b.Empty()) return b;
    b.SetSize(16, 16);
    TCanvas& c = *b.Canvas();
    c.Brush()->SetColor(kKey);
    c.FillRect(Rect(0, 0, 16, 16));
    TRect r = Rect(1, 5, 15, 12);
    Frame3D(c, r, clBtnHighlight, cl3DDkShadow);
    c.Brush()->SetColor(clSilver);
    c.FillRect(r);
    c.Brush()->SetColor(RGB(0, 255, 0));
    c.FillRect(Rect(11, 9, 13, 10));
    return b;
}

// The directory without a trailing backslash, except at a drive root.
std::string StripSlash(std::string d)
{
    while (d.size() > 3 && (d.back() == '\\' || d.back() == '/')) d.pop_back();
    return d;
}

void CutFirstDirectory(std::string& s)
{
    if (s == "\\") {
        s.clear();
        return;
    }
    bool root = false;
    if (!s.empty() && s[0] == '\\') {
        root = true;
        s.erase(0, 1);
    }
    if (!s.empty() && s[0] == '.') s.erase(0, std::min<size_t>(4, s.size()));
    size_t p = s.find('\\');
    if (p != std::string::npos) s = "...\\" + s.substr(p + 1);
    else s.clear();
    if (root) s = "\\" + s;
}

}  // namespace

std::string MinimizeName(const std::string& FileName, const TCanvas& Canvas, int32_t MaxWidth)
{
    std::string result = FileName;
    size_t slash = result.find_last_of("\\:");
    std::string dir = slash == std::string::npos ? "" : result.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? result : result.substr(slash + 1);
    std::string drive;
    if (dir.size() >= 2 && dir[1] == ':') {
        drive = dir.substr(0, 2);
        dir.erase(0, 2);
    }
    while ((!dir.empty() || !drive.empty()) && Canvas.TextWidth(result) > MaxWidth) {
        if (dir == "\\...\\") {
            drive.clear();
            dir = "...\\";
        } else if (dir.empty()) {
            drive.clear();
        } else {
            CutFirstDirectory(dir);
        }
        result = drive + dir + name;
    }
    return result;
}

PUBLISHED_PROPERTIES(TDriveComboBox, TWinControl)
{
    P.Color("Color", PALLIMER_GETTER(Color), &TDriveComboBox::SetColor).Default(clWindow);
    P.Component("DirList", PALLIMER_GETTER(DirList), &TDriveComboBox::SetDirList);
    PublishInherited(P, {"DragMode", "DragCursor", "Enabled", "Font", "ParentColor", "ParentFont", "ParentShowHint",
                         "PopupMenu", "ShowHint", "TabOrder"});
    PUBLISH_BOOL(TabStop, true);
    P.Enum("TextCase", PALLIMER_GETTER(TextCase), &TDriveComboBox::SetTextCase, TextCaseIdents).Default(tcLowerCase);
    PublishInherited(P, {"Visible"});
    PUBLISH_EVENT(OnChange);
    PublishInherited(P, {"OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
                         "OnKeyDown", "OnKeyPress", "OnStartDrag"});
}

PUBLISHED_PROPERTIES(TDirectoryListBox, TWinControl)
{
    PublishInherited(P, {"Align"});
    P.Color("Color", PALLIMER_GETTER(Color), &TDirectoryListBox::SetColor).Default(clWindow);
    P.Component("DirLabel", PALLIMER_GETTER(DirLabel), &TDirectoryListBox::SetDirLabel);
    PublishInherited(P, {"DragCursor", "DragMode", "Enabled", "Font"});
    PUBLISH_INT(ItemHeight, 16);
    PublishInherited(P, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder"});
    PUBLISH_BOOL(TabStop, true);
    PublishInherited(P, {"Visible"});
    PUBLISH_EVENT(OnChange);
    PublishInherited(P, {"OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit",
                         "OnKeyDown", "OnKeyPress", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"});
}

REGISTER_CLASS(TDriveComboBox);
REGISTER_CLASS(TDirectoryListBox);

// ------------------------------------------------------------------ TDriveComboBox

TDriveComboBox::TDriveComboBox(TComponent* AOwner) : TWinControl(AOwner)
{
    color_ = clWindow;
    SetTabStop(true);
    SetBounds(0, 0, 145, 21);
    ReadDrives();
    std::string cur = GetCurrentDir();
    if (!cur.empty() && std::find(drives_.begin(), drives_.end(), char(std::tolower(cur[0]))) != drives_.end())
        drive_ = char(std::tolower(cur[0]));
    else if (!drives_.empty())
        drive_ = drives_.front();
}

void TDriveComboBox::ReadDrives()
{
    drives_.clear();
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (mask & (1u << i)) drives_.push_back(char('a' + i));
}

std::string TDriveComboBox::ItemText(char Letter) const
{
    char l = textCase_ == tcUpperCase ? char(std::toupper(Letter)) : char(std::tolower(Letter));
    return std::string(1, l) + ":";
}

void TDriveComboBox::InitHandle()
{
    TWinControl::InitHandle();
    std::vector<TListItemView> items;
    int index = -1;
    for (size_t i = 0; i < drives_.size(); ++i) {
        items.push_back({ItemText(drives_[i]), 0, &DriveIcon()});
        if (drives_[i] == drive_) index = int(i);
    }
    handle_->SetItems(items, index);
}

void TDriveComboBox::SetTextCase(TTextCase v)
{
    textCase_ = v;
    if (handle_) InitHandle();
    Invalidate();
}

void TDriveComboBox::SetDrive(char v)
{
    v = char(std::tolower(static_cast<unsigned char>(v)));
    auto it = std::find(drives_.begin(), drives_.end(), v);
    if (it == drives_.end()) return;
    if (v != drive_) {
        drive_ = v;
        if (handle_) handle_->SetItemIndex(int(it - drives_.begin()));
        Invalidate();
        if (dirList_ && dirList_->Drive() != v) dirList_->SetDrive(v);
        CallEvent(OnChange, this);
    }
}

void TDriveComboBox::ShowDrive(char Letter)
{
    if (Letter == drive_) return;
    drive_ = Letter;
    auto it = std::find(drives_.begin(), drives_.end(), Letter);
    if (handle_) handle_->SetItemIndex(it == drives_.end() ? -1 : int(it - drives_.begin()));
    Invalidate();
}

void TDriveComboBox::SetDirList(TDirectoryListBox* v)
{
    if (v == dirList_) return;
    if (dirList_ && dirList_->driveCombo_ == this) dirList_->driveCombo_ = nullptr;
    dirList_ = v;
    if (v) {
        v->driveCombo_ = this;
        v->FreeNotification(this);
        FreeNotification(v);
        if (!Loading() && v->Drive() != 0) {
            drive_ = v->Drive();
            if (handle_) InitHandle();
        }
    }
}

void TDriveComboBox::Notification(TComponent* AComponent, bool Removing)
{
    TWinControl::Notification(AComponent, Removing);
    if (Removing && AComponent == dirList_) dirList_ = nullptr;
}

void TDriveComboBox::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_SELCHANGE) {
        if (Message.Param >= 0 && Message.Param < int(drives_.size())) {
            char before = drive_;
            try {
                SetDrive(drives_[size_t(Message.Param)]);
            } catch (...) {
                // The drive cannot be read: stay on the one before.
                drive_ = before;
                if (handle_) InitHandle();
                throw;
            }
        }
        return;
    }
    TWinControl::WndProc(Message);
}

void TDriveComboBox::PaintFallback(TCanvas& Canvas)
{
    TRect r = Rect(0, 0, Width(), Height());
    DrawSunkenEdge(Canvas, r);
    Canvas.Brush()->SetColor(Color());
    Canvas.FillRect(r);
    TRect button = Rect(r.Right - 16, r.Top, r.Right, r.Bottom);
    DrawButtonFace(Canvas, button, "", false, false, true, false);
    Canvas.Brush()->SetColor(clBtnText);
    for (int row = 0; row < 4; ++row) {
        int32_t y = button.Top + int32_t(button.Height()) / 2 - 2 + row;
        Canvas.FillRect(Rect(button.Left + 4 + row, y, button.Left + 11 - row, y + 1));
    }
    const TBitmap& icon = DriveIcon();
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.BrushCopy(Bounds(r.Left + 2, r.Top + (int32_t(r.Height()) - 16) / 2, 16, 16), &icon, Rect(0, 0, 16, 16), kKey);
    TRect text = Rect(r.Left + 22, r.Top, button.Left, r.Bottom);
    Canvas.DrawText(ItemText(drive_), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    Canvas.Brush()->SetStyle(bsSolid);
}

// ------------------------------------------------------------------ TDirectoryListBox

TDirectoryListBox::TDirectoryListBox(TComponent* AOwner) : TWinControl(AOwner)
{
    color_ = clWindow;
    SetTabStop(true);
    SetBounds(0, 0, 145, 97);
    std::string cur = GetCurrentDir();
    if (!cur.empty() && DirectoryExists(cur)) {
        directory_ = StripSlash(cur);
        ReadDirectoryNames();
    }
}

char TDirectoryListBox::Drive() const
{
    return directory_.empty() ? 0 : char(std::tolower(static_cast<unsigned char>(directory_[0])));
}

void TDirectoryListBox::SetDirectory(const std::string& v)
{
    if (v.empty()) return;
    std::string full;
    if (GetFullPathNameA(v, full) == 0) RaiseInOutError(int(GetLastError()));
    full = StripSlash(full);
    if (full.size() == 2 && full[1] == ':') full += "\\";
    if (!DirectoryExists(full)) RaiseInOutError(3);
    if (full == directory_) return;
    if (!directory_.empty()) {
        char d = Drive();
        auto it = std::find_if(lastDirs_.begin(), lastDirs_.end(), [d](const auto& p) { return p.first == d; });
        if (it != lastDirs_.end()) it->second = directory_;
        else lastDirs_.push_back({d, directory_});
    }
    directory_ = full;
    ReadDirectoryNames();
    // A linked drive box follows the drive.
    if (driveCombo_) driveCombo_->ShowDrive(Drive());
    CallEvent(OnChange, this);
}

void TDirectoryListBox::SetDrive(char v)
{
    v = char(std::tolower(static_cast<unsigned char>(v)));
    if (v == Drive()) return;
    std::string target = std::string(1, char(std::toupper(v))) + ":\\";
    for (const auto& [d, dir] : lastDirs_)
        if (d == v && DirectoryExists(dir)) target = dir;
    SetDirectory(target);
}

void TDirectoryListBox::SetDirLabel(TLabel* v)
{
    if (v == dirLabel_) return;
    dirLabel_ = v;
    if (v) v->FreeNotification(this);
    UpdateLabel();
}

void TDirectoryListBox::SetItemHeight(int32_t v)
{
    itemHeight_ = std::max(1, v);
    if (handle_) {
        handle_->SetItemHeight(itemHeight_);
        handle_->SetItems(items_, itemIndex_);
    }
}

void TDirectoryListBox::Notification(TComponent* AComponent, bool Removing)
{
    TWinControl::Notification(AComponent, Removing);
    if (Removing && AComponent == dirLabel_) dirLabel_ = nullptr;
    if (Removing && AComponent == driveCombo_) driveCombo_ = nullptr;
}

void TDirectoryListBox::Loaded()
{
    TWinControl::Loaded();
    UpdateLabel();
}

void TDirectoryListBox::BoundsChanged()
{
    TWinControl::BoundsChanged();
    if (dirLabel_ && dirLabel_->AutoSize()) UpdateLabel();
}

void TDirectoryListBox::ReadDirectoryNames()
{
    items_.clear();
    paths_.clear();
    // The path down to the directory, one row per level.
    std::string root = directory_.substr(0, 3);
    std::string rootText = std::string(1, char(std::tolower(static_cast<unsigned char>(root[0])))) + ":\\";
    items_.push_back({rootText, 0, &FolderIcon(true)});
    paths_.push_back(root);
    std::string acc = root;
    int level = 1;
    size_t pos = 3;
    while (pos < directory_.size()) {
        size_t next = directory_.find('\\', pos);
        std::string part = directory_.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        if (!part.empty()) {
            acc = acc.size() > 3 ? acc + "\\" + part : acc + part;
            items_.push_back({part, level++, &FolderIcon(true)});
            paths_.push_back(acc);
        }
        if (next == std::string::npos) break;
        pos = next + 1;
    }
    pathItems_ = int(items_.size());
    itemIndex_ = pathItems_ - 1;
    // Then the folders inside it, in name order.
    std::vector<std::string> subdirs;
    TSearchRec rec;
    std::string mask = directory_.size() > 3 ? directory_ + "\\*.*" : directory_ + "*.*";
    if (FindFirst(mask, faDirectory, rec) == 0) {
        do {
            if ((rec.Attr & faDirectory) && rec.Name != "." && rec.Name != "..") subdirs.push_back(rec.Name);
        } while (FindNext(rec) == 0);
        FindClose(rec);
    }
    std::sort(subdirs.begin(), subdirs.end(), [](const std::string& a, const std::string& b) {
        return CompareText(a, b) < 0;
    });
    for (const std::string& s : subdirs) {
        items_.push_back({s, level, &FolderIcon(false)});
        paths_.push_back(directory_.size() > 3 ? directory_ + "\\" + s : directory_ + s);
    }
    if (handle_) handle_->SetItems(items_, itemIndex_);
    UpdateLabel();
    Invalidate();
}

void TDirectoryListBox::UpdateLabel()
{
    if (!dirLabel_ || Loading()) return;
    int32_t width = dirLabel_->AutoSize() ? Width() : dirLabel_->Width();
    TCanvas& c = *dirLabel_->Canvas();
    c.SetFont(dirLabel_->Font());
    dirLabel_->SetCaption(MinimizeName(directory_, c, width));
}

std::string TDirectoryListBox::ItemPath(int Index) const
{
    if (Index < 0 || Index >= int(paths_.size())) return {};
    return paths_[size_t(Index)];
}

void TDirectoryListBox::SetItemIndex(int v)
{
    if (v < -1 || v >= int(items_.size())) return;
    itemIndex_ = v;
    if (handle_) handle_->SetItemIndex(v);
    Invalidate();
}

void TDirectoryListBox::OpenItem(int Index)
{
    if (Index < 0 || Index >= int(paths_.size())) return;
    SetDirectory(paths_[size_t(Index)]);
}

void TDirectoryListBox::InitHandle()
{
    TWinControl::InitHandle();
    handle_->SetItemHeight(itemHeight_);
    handle_->SetItems(items_, itemIndex_);
}

void TDirectoryListBox::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_SELCHANGE: itemIndex_ = Message.Param; return;
    case CN_DBLCLK: OpenItem(Message.Param); return;
    case WM_KEYDOWN:
        TWinControl::WndProc(Message);
        if (!Message.Result && Message.Key == VK_RETURN) {
            if (handle_) itemIndex_ = handle_->ItemIndex();
            OpenItem(itemIndex_);
            Message.Result = 1;
        }
        return;
    default: TWinControl::WndProc(Message); return;
    }
}

void TDirectoryListBox::PaintFallback(TCanvas& Canvas)
{
    TRect r = Rect(0, 0, Width(), Height());
    DrawSunkenEdge(Canvas, r);
    Canvas.Brush()->SetColor(Color());
    Canvas.FillRect(r);
    TRect old = Canvas.ClipRect();
    Canvas.SetClipRect(IntersectRect(old, r));
    int32_t y = r.Top;
    for (size_t i = 0; i < items_.size() && y < r.Bottom; ++i, y += itemHeight_) {
        const TListItemView& it = items_[i];
        int32_t x = r.Left + 2 + it.Indent * 7;
        bool selected = int(i) == itemIndex_;
        TRect text = Rect(x + 19, y, r.Right, y + itemHeight_);
        TRect calc = text;
        Canvas.DrawText(it.Text, calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        TRect box = Rect(text.Left - 1, y, std::min<int32_t>(calc.Right + 2, r.Right), y + itemHeight_);
        if (selected) {
            Canvas.Brush()->SetColor(clHighlight);
            Canvas.FillRect(box);
        }
        if (it.Icon) {
            Canvas.Brush()->SetStyle(bsClear);
            Canvas.BrushCopy(Bounds(x, y + (itemHeight_ - 16) / 2, 16, 16), it.Icon, Rect(0, 0, 16, 16), kKey);
        }
        Canvas.Brush()->SetStyle(bsClear);
        TColor saved = Canvas.Font()->Color();
        Canvas.Font()->SetColor(selected ? clHighlightText : clWindowText);
        Canvas.DrawText(it.Text, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        Canvas.Font()->SetColor(saved);
        Canvas.Brush()->SetStyle(bsSolid);
    }
    Canvas.SetClipRect(old);
}
