// What the uninstaller tells the user, in one place for its dialogs and for the
// non-interactive mode's output.
#pragma once

#include <string>
#include <vector>

#include "product/uninstall/Uninstaller.h"

namespace uninstall {

enum class MessageKind { Question, Information, Warning };

// Texts are Windows-1252, as the paths of the machine are.
struct Message {
    MessageKind Kind = MessageKind::Information;
    std::string Heading;
    std::string Text;
    std::string ListCaption;  // above List, when List is not empty
    std::vector<std::string> List;
    std::string After;  // below the list
};

// Nothing of the product is on the machine (never installed, or already removed).
Message NotInstalledMessage();
// The registry cannot be read: whether the product is installed cannot be told.
Message RegistryErrorMessage(const Installation& inst);
// The question before anything is removed.
Message ConfirmMessage(const Plan& plan);
// Obstacles: nothing removed.
Message BlockedMessage(const Plan& plan);
// After the removal, complete or not.
Message ResultMessage(const Plan& plan, const Report& report);

// The message as lines of text (for standard output).
std::string PlainText(const Message& m);

}  // namespace uninstall
