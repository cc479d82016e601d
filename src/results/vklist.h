// The list form: all records on tab 0, one saved search per tab 1 to 9, the detail panel.
#pragma once

#include <QString>
#include <QWidget>

class VKLIST : public QWidget {
    Q_OBJECT
public:
    explicit VKLIST(QWidget* parent = nullptr);
    ~VKLIST() override;

    // The form's load: opens the state database of velk::CurrentState in the program folder with
    // velk::StateDbConnect and its table recordsets. Throws dao::DaoError when it cannot.
    void Form_Load();

    // Set by the main window before showing the form.
    QString WORKSPACE;
    QString STATE;
    QString CURPATH; // the workspace folder, with a trailing "/"

    // Orders tab 0: 1 file number, 2 company name, 3 county.
    void SORT_SELECT(int order);
};
