// VKNYADDR, the New York full-address form: the further address lines of one record, from table
// ADDRESSES.
#pragma once

#include "platform/dao/dao.h"

#include <QDialog>
#include <QString>

#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class VKNYADDR : public QDialog {
    Q_OBJECT
public:
    explicit VKNYADDR(QWidget* parent = nullptr);
    ~VKNYADDR() override;

    // Set by the opener before the form is shown.
    QString KEYFILE;
    QString KEYSEQ;

    QLabel* Label1 = nullptr;
    QPlainTextEdit* ADDRESSES = nullptr; // the memo's lines, one under another
    QPushButton* Command1 = nullptr;     // "OK"

    // Run by the constructor: opens the New York state database in the program folder with its own
    // connection. Throws dao::DaoError when it cannot, and the form is not made.
    void Form_Load();
    // Shows the record's lines; a record without a row leaves the box as it is.
    void Form_Activate();
    void Command1_Click();
    // Closes the recordset and the database; runs once however the form is closed.
    void Form_QueryUnload();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<dao::Database> db_;
    std::unique_ptr<dao::Recordset> addressesTb_;
};

namespace results {

// Full Address: loads VKNYADDR for the record, captions it "VKNYADDR - " & name, shows it
// modally and unloads it. A database that cannot be opened is reported in a message box.
void showFullAddress(const QString& file, const QString& sequence, const QString& name1,
                     QWidget* parent = nullptr);

} // namespace results
