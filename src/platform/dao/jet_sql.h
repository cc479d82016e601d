// The Jet-dialect SQL translator: turns the SQL texts the program builds (written for the original
// engine) into SQLite SQL, changing only what SQLite would read differently.
#pragma once

#include <QString>
#include <QVector>

namespace dao {

struct SqlToken {
    enum Kind {
        Space,      // blanks, line breaks, comments
        Word,       // identifier or keyword
        Number,     // 12, 0.5, 1e3 (no sign)
        SingleText, // 'text' (quotes included)
        DoubleText, // "text" (quotes included): a string literal in the Jet dialect
        Bracketed,  // [name]
        Symbol      // operators and punctuation
    };
    Kind kind;
    QString text;

    bool isWord(const char* w) const {
        return kind == Word && text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(const char* s) const { return kind == Symbol && text == QLatin1String(s); }
};

// Splits SQL into tokens; concatenating the tokens' texts gives the input back unchanged.
// An unterminated quote or bracket runs to the end of the text.
QVector<SqlToken> tokenizeSql(const QString& sql);

// Rewrites, outside quotes and brackets:
//   "DELETE * FROM" and "DELETE t.* FROM"  -> "DELETE FROM"
//   "NOT ="                                -> "<>"
//   "text" (double-quoted literal)         -> 'text' (inner apostrophes doubled)
//   "BETWEEN a AND b" with literal bounds a > b -> "BETWEEN b AND a" (Jet accepted either order)
// and leaves everything else alone.
QString translateJetSql(const QString& jetSql);

// The body of a quoted literal: 'it''s' -> it's, "say ""hi""" -> say "hi".
QString unquoteLiteral(const QString& quoted);
// A text as a string literal: it's -> 'it''s'.
QString quoteLiteral(const QString& text);

} // namespace dao
