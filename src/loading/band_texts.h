// Texts of the employee and sales band codes, as the shipped category tables and the record
// detail form show them.
#pragma once

#include <QString>
#include <QVariant>

namespace loading {

// Text of an employee or sales band code "0" to "9"; "" for any other value.
QString employeesText(const QVariant& code);
QString salesText(const QVariant& code);

} // namespace loading
