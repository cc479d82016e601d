// Where the main window shows the forms of printing, the manual and the backup of user data. Each
// place holds the form's showing once that form is installed; until then it tells the user
// plainly that the function is not installed yet.
#pragma once

#include <QString>

#include <functional>
#include <utility>

namespace velk {

class FormPlace {
public:
    // Shows the form (modally unless modal is false).
    using Show = std::function<void(bool modal)>;

    explicit FormPlace(QString notInstalledText) : notInstalledText_(std::move(notInstalledText)) {}

    void show(bool modal = true) const;
    // Installs the form's showing; empty restores the message.
    void install(Show show) { show_ = std::move(show); }
    bool installed() const { return bool(show_); }
    const QString& notInstalledText() const { return notInstalledText_; }

private:
    QString notInstalledText_;
    Show show_;
};

FormPlace& printSearchForm(); // VKPRINT: prints the search of the list form's selected tab
FormPlace& printManualForm(); // VKMANUAL: prints MANUAL.TXT
FormPlace& notesForm();       // VKNOTES: backup, restore and merge of notes and user fields

} // namespace velk
