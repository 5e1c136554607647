#pragma once
// Strings tables: Resources/en.lproj/<Table>.strings in the classic form
//   /* comment */  "key" = "value";   // comment
// with \" \\ \n \t \r \U1234 escapes. Unquoted keys and values made of
// letters, digits, '_', '.', '-' are accepted too.
#include <QHash>
#include <QString>

namespace zelk {

class StringsTable {
public:
    // Parses text; malformed input stops at the first bad entry and keeps
    // the entries before it (error set).
    static StringsTable parse(const QString& text, QString* error = nullptr);
    static StringsTable load(const QString& path, QString* error = nullptr);

    bool contains(const QString& key) const { return m_entries.contains(key); }
    QString value(const QString& key) const { return m_entries.value(key); }
    int size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    QHash<QString, QString> m_entries;
};

} // namespace zelk
