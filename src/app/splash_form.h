// TITLE, the splash form: shown from the program's start until the list form takes over, and the
// progress window of a data load (lblStatus, Command2 "Cancel").
#pragma once

#include <QWidget>

#include "app/main_window.h"

class QFrame;
class QLabel;
class QPushButton;

class TITLE : public QWidget {
    Q_OBJECT
public:
    explicit TITLE(QWidget* parent = nullptr);
    ~TITLE() override;

    // The splash, made when it is not loaded; its Form_Load is the program's entry.
    static TITLE& load();
    // The splash while it is loaded, or nullptr.
    static TITLE* instance();
    // Hides the splash and discards it (it is deleted once control returns to the event loop).
    static void unload();

    QLabel* Image1 = nullptr;        // the title picture; the form's size follows from it
    QLabel* Label1 = nullptr;        // product name
    QLabel* Label4 = nullptr;        // program version
    QLabel* lblStatus = nullptr;     // progress text of a data load
    QPushButton* Command2 = nullptr; // "Cancel", shown only during a data load
    QFrame* SSPanel1 = nullptr;

    // The program's entry: makes the program folder the current folder, shows the splash and
    // loads the main window, whose load runs the start-up. An error that ends the start-up is
    // reported in a message naming the file and the reason (outcome Failed).
    StartOutcome Form_Load();

    // Places frm by the centring rule.
    void CENTERFORM(QWidget& frm);
    void Command2_Click();
};
