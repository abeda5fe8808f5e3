// Choosing a directory on the emulated machine's drives: the drive combo box and the
// directory list box with the label that shows its directory.
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/WidgetSet.h"

class TDirectoryListBox;

// FileName shortened until it fits MaxWidth pixels on Canvas: leading folders give way to
// "...", drive first kept ("C:\...\Tessaly\Data"), then dropped ("...\Data").
std::string MinimizeName(const std::string& FileName, const TCanvas& Canvas, int32_t MaxWidth);

enum TTextCase : uint8_t { tcLowerCase, tcUpperCase };

class TDriveComboBox : public TWinControl {
public:
    explicit TDriveComboBox(TComponent* AOwner);
    std::string ClassName() const override { return "TDriveComboBox"; }
    // The drive letter (lower case); setting it moves the linked directory list there.
    char Drive() const { return drive_; }
    void SetDrive(char v);
    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* v);
    TTextCase TextCase() const { return textCase_; }
    void SetTextCase(TTextCase v);
    // The drives listed, as letters.
    const std::vector<char>& Drives() const { return drives_; }
    TNotifyEvent OnChange;

    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, bool Removing) override;
    TWidgetKind WidgetKind() const override { return TWidgetKind::ComboBox; }

protected:
    void InitHandle() override;
    void PaintFallback(TCanvas& Canvas) override;

private:
    friend class TDirectoryListBox;
    void ReadDrives();
    // The list moved to another drive: show it, without moving the list again.
    void ShowDrive(char Letter);
    std::string ItemText(char Letter) const;
    char drive_ = 'c';
    TDirectoryListBox* dirList_ = nullptr;
    TTextCase textCase_ = tcLowerCase;
    std::vector<char> drives_;
};

// The folders from the drive's root down to the current directory, then the current
// directory's subfolders. Double-clicking (or Enter on) a row opens that folder. The
// current directory has no trailing backslash except at a drive root.
class TDirectoryListBox : public TWinControl {
public:
    explicit TDirectoryListBox(TComponent* AOwner);
    std::string ClassName() const override { return "TDirectoryListBox"; }

    const std::string& Directory() const { return directory_; }
    // Raises EInOutError when the folder does not exist.
    void SetDirectory(const std::string& v);
    char Drive() const;
    // Opens the drive's root, or the folder last open on it.
    void SetDrive(char v);
    // The label that shows the directory, shortened to the label's width (or, when the
    // label sizes itself, to the list's width).
    TLabel* DirLabel() const { return dirLabel_; }
    void SetDirLabel(TLabel* v);
    int32_t ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int32_t v);
    // The rows as shown: text and level.
    const std::vector<TListItemView>& Items() const { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);
    // Opens the folder of row Index (as a double click does).
    void OpenItem(int Index);
    // The full path of row Index.
    std::string ItemPath(int Index) const;
    TNotifyEvent OnChange;

    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, bool Removing) override;
    void Loaded() override;
    TWidgetKind WidgetKind() const override { return TWidgetKind::ListBox; }

protected:
    void InitHandle() override;
    void PaintFallback(TCanvas& Canvas) override;
    void BoundsChanged() override;

private:
    friend class TDriveComboBox;
    void ReadDirectoryNames();
    void UpdateLabel();
    std::string directory_;
    TLabel* dirLabel_ = nullptr;
    TDriveComboBox* driveCombo_ = nullptr;  // the drive box linked to this list
    int32_t itemHeight_ = 16;
    std::vector<TListItemView> items_;
    std::vector<std::string> paths_;
    int pathItems_ = 0;  // rows 0..pathItems_-1 lead to the current directory
    int itemIndex_ = -1;
    std::vector<std::pair<char, std::string>> lastDirs_;
};
