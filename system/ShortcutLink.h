// TShortcutLink: writes one shell shortcut (.lnk) from its properties through the shell's
// link object, and finds the paths of the shell's special folders.
#pragma once

#include <cstdint>
#include <string>

#include "platform/classes/Component.h"

// Window state of the started program. The stored show command is 3, 7 or 9 once
// assigned; a component never assigned one holds 0, which reads as scShowNormal.
enum TShowCmd { scShowMaximized, scShowMinimized, scShowNormal };

class EShortcutError : public Exception {
public:
    using Exception::Exception;
};

class TShortcutLink : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TShortcutLink"; }

    // Writes ShortcutFile (created or replaced). Raises EShortcutError "Unable to create
    // .lnk file" when the link object cannot be made, has no file persistence, the path
    // does not fit 259 characters, or the save fails (a missing folder, for one).
    void CreateLink();
    // The current user's Programs folder (CSIDL_PROGRAMS).
    void ProgramsFolder(std::string& Result);
    // The file-system path of a special folder, without a trailing backslash. When the
    // shell knows no such folder, Result keeps what it held. The owner must be a form:
    // anything else raises EInvalidCast.
    void SpecialFolder(int Csidl, std::string& Result);

    const std::string& ShortcutFile() const { return shortcutFile_; }
    void SetShortcutFile(const std::string& Value) { shortcutFile_ = Value; }
    const std::string& Target() const { return target_; }
    void SetTarget(const std::string& Value) { target_ = Value; }
    const std::string& WorkingDir() const { return workingDir_; }
    void SetWorkingDir(const std::string& Value) { workingDir_ = Value; }
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& Value) { description_ = Value; }
    const std::string& Arguments() const { return arguments_; }
    void SetArguments(const std::string& Value) { arguments_ = Value; }
    const std::string& IconLocation() const { return iconLocation_; }
    void SetIconLocation(const std::string& Value) { iconLocation_ = Value; }
    uint16_t IconNumber() const { return iconNumber_; }
    void SetIconNumber(uint16_t Value) { iconNumber_ = Value; }

    // The hot key's character (Ctrl+Alt+it); " " for none. Reading a never-set code
    // stores 32 first.
    std::string HotKey() const;
    // First character (a space for an empty text), a..z upper-cased, codes below 32 as 32.
    void SetHotKey(const std::string& Value);
    TShowCmd ShowCmd() const;
    // Stores 3, 7 or 9; any other ordinal leaves the stored value as it is.
    void SetShowCmd(TShowCmd Value);

    // The stored values as the link object receives them.
    uint16_t HotKeyCode() const { return hotKey_; }
    int32_t ShowCmdValue() const { return showCmd_; }

private:
    std::string shortcutFile_;
    std::string target_;
    std::string workingDir_;
    std::string description_;
    std::string arguments_;
    std::string iconLocation_;
    uint16_t iconNumber_ = 0;
    mutable uint16_t hotKey_ = 0;
    int32_t showCmd_ = 0;
};
