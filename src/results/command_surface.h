// What the list form asks of the window that holds it: the state of the main window's commands,
// its data version label and the "Copy SQL to Clipboard" mark. The application's main window
// implements it; a list form without one (tests, tools) touches nothing outside itself.
#pragma once

#include <QString>

namespace results {

struct CommandAvailability;

class CommandSurface {
public:
    virtual ~CommandSurface() = default;
    // False while the window is disabled (a data load runs): the list's activation then does nothing.
    virtual bool acceptsCommands() const = 0;
    virtual void applyCommandAvailability(const CommandAvailability& availability) = 0;
    // The Search menu and the New Lookup and Edit/Delete Lookup buttons, which the list's layout enables.
    virtual void enableSearchCommands() = 0;
    virtual void setDataVersion(const QString& text) = 0;
    virtual bool copySqlMarked() const = 0;
};

} // namespace results
