// The category tables that ship inside every state database (no release fills them): employee
// and sales bands, and the merit classes of PM and DM.
#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

namespace dataset {

struct CategoryRow {
    QString code;
    QString description;
};
const QVector<CategoryRow>& employeeBands();
const QVector<CategoryRow>& salesBands();
// The code is the MOD value that stands for the class; searches use the description.
const QVector<CategoryRow>& meritClasses();

// Text of an employee or sales band code "0" to "9"; "" for any other value.
QString employeesText(const QVariant& code);
QString salesText(const QVariant& code);

} // namespace dataset
