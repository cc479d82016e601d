#include "dataset/user_fields.h"

#include "dataset/text_rules.h"

namespace dataset {

namespace {
struct FieldLength {
    const char* name;
    int length;
};
constexpr FieldLength kFields[] = {
    {"User1", 50},     {"User2", 50},     {"User3", 50},   {"UserContact", 30},
    {"UserTitle", 30}, {"UserPhone", 12}, {"UserFax", 12},
};
} // namespace

QStringList userFieldNames() {
    QStringList names;
    for (const auto& f : kFields)
        names << QString::fromLatin1(f.name);
    return names;
}

int userFieldMaxLength(const QString& field) {
    for (const auto& f : kFields)
        if (field.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return f.length;
    return 0;
}

QVariant userFieldValue(const QString& boxText) {
    if (boxText.isEmpty()) return QVariant();
    QString value = dataset::trimBlanks(boxText);
    if (value.isNull()) // a real empty text, never a null one that could be stored as no value
        value = QStringLiteral("");
    return QVariant(value);
}

bool hasOverrideMarker(const QString& user1Text) {
    return user1Text.startsWith(QLatin1String("!&"));
}

UserCaptions userCaptions(const QString& user1Text) {
    if (hasOverrideMarker(user1Text)) return {QStringLiteral("Street"), QStringLiteral("City St Zip")};
    return {QStringLiteral("User Field 2"), QStringLiteral("User Field 3")};
}

} // namespace dataset
