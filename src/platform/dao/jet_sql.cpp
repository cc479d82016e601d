#include "platform/dao/jet_sql.h"

namespace dao {

namespace {

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// End of a quoted run starting at i (the opening quote); a doubled quote stays inside.
qsizetype quotedEnd(const QString& s, qsizetype i, QChar close) {
    const qsizetype n = s.size();
    qsizetype j = i + 1;
    while (j < n) {
        if (s[j] == close) {
            if (close != u']' && j + 1 < n && s[j + 1] == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return n;
}

qsizetype numberEnd(const QString& s, qsizetype i) {
    const qsizetype n = s.size();
    qsizetype j = i;
    while (j < n && s[j].isDigit())
        ++j;
    if (j < n && s[j] == u'.') {
        ++j;
        while (j < n && s[j].isDigit())
            ++j;
    }
    if (j < n && (s[j] == u'e' || s[j] == u'E')) {
        qsizetype k = j + 1;
        if (k < n && (s[k] == u'+' || s[k] == u'-')) ++k;
        if (k < n && s[k].isDigit()) {
            while (k < n && s[k].isDigit())
                ++k;
            j = k;
        }
    }
    return j;
}

// A literal bound of BETWEEN: a quoted text or a number with an optional sign.
struct Literal {
    int first = -1, last = -1; // token range, inclusive
    bool isNumber = false;
    double number = 0;
    QString text;
};

int nextSolid(const QVector<SqlToken>& t, int i) {
    ++i;
    while (i < t.size() && t[i].kind == SqlToken::Space)
        ++i;
    return i;
}

bool readLiteral(const QVector<SqlToken>& t, int i, Literal& lit) {
    if (i >= t.size()) return false;
    if (t[i].kind == SqlToken::SingleText) {
        lit = {i, i, false, 0, unquoteLiteral(t[i].text)};
        return true;
    }
    int j = i;
    QString sign;
    if (t[j].isSymbol("-") || t[j].isSymbol("+")) {
        sign = t[j].text;
        ++j;
    }
    if (j < t.size() && t[j].kind == SqlToken::Number) {
        bool ok = false;
        const double v = (sign + t[j].text).toDouble(&ok);
        if (!ok) return false;
        lit = {i, j, true, v, QString()};
        return true;
    }
    return false;
}

// True when the token at i cannot continue an expression begun by the literal before it.
bool endsOperand(const QVector<SqlToken>& t, int i) {
    if (i >= t.size()) return true;
    const SqlToken& k = t[i];
    if (k.kind == SqlToken::Word) return true;
    return k.isSymbol(")") || k.isSymbol(",") || k.isSymbol(";");
}

void swapBetweenBounds(QVector<SqlToken>& t, int betweenAt) {
    Literal a, b;
    const int i = nextSolid(t, betweenAt);
    if (!readLiteral(t, i, a)) return;
    const int andAt = nextSolid(t, a.last);
    if (andAt >= t.size() || !t[andAt].isWord("AND")) return;
    const int j = nextSolid(t, andAt);
    if (!readLiteral(t, j, b) || !endsOperand(t, nextSolid(t, b.last))) return;
    if (a.isNumber != b.isNumber) return;
    const bool descending =
        a.isNumber ? a.number > b.number : QString::compare(a.text, b.text, Qt::CaseInsensitive) > 0;
    if (!descending) return;
    QString textA, textB;
    for (int k = a.first; k <= a.last; ++k)
        textA += t[k].text;
    for (int k = b.first; k <= b.last; ++k)
        textB += t[k].text;
    for (int k = a.first; k <= a.last; ++k)
        t[k].text.clear();
    for (int k = b.first; k <= b.last; ++k)
        t[k].text.clear();
    t[a.first].text = textB;
    t[b.first].text = textA;
}

} // namespace

QVector<SqlToken> tokenizeSql(const QString& s) {
    QVector<SqlToken> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        qsizetype j = i + 1;
        SqlToken::Kind kind = SqlToken::Symbol;
        if (c.isSpace()) {
            while (j < n && s[j].isSpace())
                ++j;
            kind = SqlToken::Space;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (j < n && s[j] != u'\n')
                ++j;
            kind = SqlToken::Space;
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
            j = close < 0 ? n : close + 2;
            kind = SqlToken::Space;
        } else if (c == u'\'') {
            j = quotedEnd(s, i, u'\'');
            kind = SqlToken::SingleText;
        } else if (c == u'"') {
            j = quotedEnd(s, i, u'"');
            kind = SqlToken::DoubleText;
        } else if (c == u'[') {
            j = quotedEnd(s, i, u']');
            kind = SqlToken::Bracketed;
        } else if (c == u'`') {
            j = quotedEnd(s, i, u'`');
            kind = SqlToken::Bracketed;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            j = numberEnd(s, i);
            kind = SqlToken::Number;
        } else if (isWordStart(c)) {
            while (j < n && isWordChar(s[j]))
                ++j;
            kind = SqlToken::Word;
        } else if (i + 1 < n) {
            static const char* const twoChar[] = {"<>", "<=", ">=", "!=", "==", "||", "<<", ">>"};
            const QStringView pair = QStringView(s).mid(i, 2);
            for (const char* op : twoChar) {
                if (pair == QLatin1String(op)) {
                    j = i + 2;
                    break;
                }
            }
        }
        out.append({kind, s.mid(i, j - i)});
        i = j;
    }
    return out;
}

QString unquoteLiteral(const QString& quoted) {
    if (quoted.size() < 2) return QString();
    const QChar q = quoted[0];
    QString body = quoted.mid(1, quoted.size() - 2);
    if (quoted.back() != q) // unterminated
        body = quoted.mid(1);
    body.replace(QString(2, q), QString(q));
    return body;
}

QString quoteLiteral(const QString& text) {
    QString body = text;
    body.replace(u'\'', QLatin1String("''"));
    return u'\'' + body + u'\'';
}

QString translateJetSql(const QString& jetSql) {
    QVector<SqlToken> t = tokenizeSql(jetSql);

    // Double-quoted texts are string literals in the Jet dialect but names in SQLite.
    for (SqlToken& k : t) {
        if (k.kind == SqlToken::DoubleText) k = {SqlToken::SingleText, quoteLiteral(unquoteLiteral(k.text))};
    }

    for (int i = 0; i < t.size(); ++i) {
        if (t[i].isWord("DELETE")) {
            // DELETE * FROM, DELETE tbl.* FROM
            int j = nextSolid(t, i);
            int star = -1;
            if (j < t.size() && t[j].isSymbol("*")) {
                star = j;
            } else if (j < t.size() && (t[j].kind == SqlToken::Word || t[j].kind == SqlToken::Bracketed)) {
                const int dot = nextSolid(t, j);
                if (dot < t.size() && t[dot].isSymbol(".")) {
                    const int s = nextSolid(t, dot);
                    if (s < t.size() && t[s].isSymbol("*")) star = s;
                }
            }
            if (star >= 0) {
                const int from = nextSolid(t, star);
                if (from < t.size() && t[from].isWord("FROM")) {
                    for (int k = i + 1; k < from; ++k)
                        t[k].text.clear();
                    t[i].text += u' ';
                }
            }
        } else if (t[i].isWord("NOT")) {
            const int j = nextSolid(t, i);
            if (j < t.size() && t[j].isSymbol("=")) {
                for (int k = i + 1; k <= j; ++k)
                    t[k].text.clear();
                t[i].text = QStringLiteral("<>");
            }
        } else if (t[i].isWord("BETWEEN")) {
            swapBetweenBounds(t, i);
        }
    }

    QString out;
    out.reserve(jetSql.size() + 8);
    for (const SqlToken& k : t)
        out += k.text;
    return out;
}

} // namespace dao
