#include "ChangeDescription.h"

#include "common/UniqueHandle.h"
#include "common/WideText.h"
#include "shared/ToolPaths.h"

#include <cerrno>
#include <climits>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace quentry::transform {

namespace {

struct Assignment {
    std::wstring column;
    std::wstring value;
};

struct Statement {
    std::wstring verb; // "property", "insert", "update", "delete"
    std::wstring table;
    std::vector<Assignment> assignments;
};

class LineReader {
public:
    explicit LineReader(const std::wstring& line) : m_line(line) {}

    void SkipBlanks() {
        while (m_pos < m_line.size() && std::iswspace(m_line[m_pos])) {
            ++m_pos;
        }
    }
    bool AtEnd() {
        SkipBlanks();
        return m_pos >= m_line.size();
    }
    // Characters up to a blank or (when stopAtEquals) an equals sign.
    std::wstring Word(bool stopAtEquals) {
        SkipBlanks();
        const size_t start = m_pos;
        while (m_pos < m_line.size() && !std::iswspace(m_line[m_pos]) &&
               !(stopAtEquals && m_line[m_pos] == L'=')) {
            ++m_pos;
        }
        return m_line.substr(start, m_pos - start);
    }
    bool Accept(wchar_t c) {
        if (m_pos < m_line.size() && m_line[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    // A value right after "=": a quoted text or the characters up to a blank.
    bool Value(std::wstring& value, std::wstring& error) {
        if (m_pos < m_line.size() && m_line[m_pos] == L'"') {
            return Quoted(value, error);
        }
        value = Word(false);
        return true;
    }
    // The rest of the line, without surrounding blanks; a quoted text must be all of it.
    bool Rest(std::wstring& value, std::wstring& error) {
        SkipBlanks();
        if (m_pos < m_line.size() && m_line[m_pos] == L'"') {
            if (!Quoted(value, error)) {
                return false;
            }
            if (!AtEnd()) {
                error = L"text after the closing quote";
                return false;
            }
            return true;
        }
        size_t end = m_line.size();
        while (end > m_pos && std::iswspace(m_line[end - 1])) {
            --end;
        }
        value = m_line.substr(m_pos, end - m_pos);
        m_pos = m_line.size();
        return true;
    }

private:
    bool Quoted(std::wstring& value, std::wstring& error) {
        value.clear();
        ++m_pos; // opening quote
        while (m_pos < m_line.size()) {
            wchar_t c = m_line[m_pos++];
            if (c == L'"') {
                return true;
            }
            if (c == L'\\' && m_pos < m_line.size() && (m_line[m_pos] == L'"' || m_line[m_pos] == L'\\')) {
                c = m_line[m_pos++];
            }
            value += c;
        }
        error = L"a quoted value has no closing quote";
        return false;
    }

    const std::wstring& m_line;
    size_t m_pos = 0;
};

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

// Parses one line; an empty or comment line gives an empty verb.
bool ParseStatement(const std::wstring& line, Statement& statement, std::wstring& error) {
    statement = Statement{};
    LineReader reader(line);
    if (reader.AtEnd()) {
        return true;
    }
    const std::wstring verb = reader.Word(false);
    if (verb[0] == L'#') {
        return true;
    }
    statement.verb = Lower(verb);
    if (statement.verb == L"property") {
        statement.table = L"Property";
        std::wstring name = reader.Word(true);
        reader.SkipBlanks();
        if (name.empty() || !reader.Accept(L'=')) {
            error = L"expected Property NAME=VALUE";
            return false;
        }
        std::wstring value;
        if (!reader.Rest(value, error)) {
            return false;
        }
        statement.assignments.push_back({L"Property", name});
        statement.assignments.push_back({L"Value", value});
        return true;
    }
    if (statement.verb != L"insert" && statement.verb != L"update" && statement.verb != L"delete") {
        error = L"unknown statement " + verb + L" (expected Property, insert, update or delete)";
        return false;
    }
    statement.table = reader.Word(false);
    if (statement.table.empty()) {
        error = L"expected a table name after " + verb;
        return false;
    }
    while (!reader.AtEnd()) {
        Assignment assignment;
        assignment.column = reader.Word(true);
        if (assignment.column.empty() || !reader.Accept(L'=')) {
            error = L"expected COLUMN=VALUE";
            return false;
        }
        if (!reader.Value(assignment.value, error)) {
            return false;
        }
        statement.assignments.push_back(std::move(assignment));
    }
    if (statement.assignments.empty()) {
        error = L"expected COLUMN=VALUE after the table name";
        return false;
    }
    return true;
}

bool ParseInteger(const std::wstring& text, long long low, long long high, int& value) {
    if (text.empty()) {
        return false;
    }
    wchar_t* end = nullptr;
    errno = 0;
    const long long number = std::wcstoll(text.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != L'\0' || number < low || number > high) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

// The value of a column from its text; an empty text is null.
bool ColumnValue(const TableSchema& schema, const ColumnDef& column, const std::wstring& text, Value& value,
                 std::wstring& error) {
    if (text.empty()) {
        value = Value::Null();
        return true;
    }
    switch (column.kind) {
    case ColumnKind::Int16:
    case ColumnKind::Int32: {
        // The installer keeps the lowest number of each width for null.
        const long long limit = column.kind == ColumnKind::Int16 ? 32767 : INT_MAX;
        int number = 0;
        if (!ParseInteger(text, -limit, limit, number)) {
            error = Format(L"column %s of table %s takes a whole number from %d to %d, not %s",
                           column.name.c_str(), schema.name.c_str(), static_cast<int>(-limit),
                           static_cast<int>(limit), text.c_str());
            return false;
        }
        value = Value::Integer(number);
        return true;
    }
    case ColumnKind::String:
        if (column.width > 0 && text.size() > static_cast<size_t>(column.width)) {
            error = Format(L"column %s of table %s holds at most %d characters", column.name.c_str(),
                           schema.name.c_str(), column.width);
            return false;
        }
        value = Value::String(text);
        return true;
    case ColumnKind::Stream:
        error = Format(L"column %s of table %s holds binary data, which a change description cannot set",
                       column.name.c_str(), schema.name.c_str());
        return false;
    }
    return false;
}

// The row the statement names (keys) and the values it gives, column by column (unset = not given).
bool StatementRow(const Statement& statement, const TableSchema& schema, Row& row, std::vector<bool>& given,
                  std::wstring& error) {
    row.assign(schema.columns.size(), Value::Null());
    given.assign(schema.columns.size(), false);
    for (const Assignment& assignment : statement.assignments) {
        size_t index = schema.columns.size();
        for (size_t i = 0; i < schema.columns.size(); ++i) {
            if (schema.columns[i].name == assignment.column) {
                index = i;
            }
        }
        if (index == schema.columns.size()) {
            error = Format(L"table %s has no column %s", schema.name.c_str(), assignment.column.c_str());
            return false;
        }
        if (given[index]) {
            error = Format(L"column %s is given twice", assignment.column.c_str());
            return false;
        }
        if (!ColumnValue(schema, schema.columns[index], assignment.value, row[index], error)) {
            return false;
        }
        given[index] = true;
    }
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        if (schema.columns[i].key && (!given[i] || row[i].IsNull())) {
            error = Format(L"the key column %s of table %s needs a value", schema.columns[i].name.c_str(),
                           schema.name.c_str());
            return false;
        }
    }
    return true;
}

bool CheckRequired(const TableSchema& schema, const Row& row, std::wstring& error) {
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        if (!schema.columns[i].nullable && row[i].IsNull()) {
            error = Format(L"column %s of table %s needs a value", schema.columns[i].name.c_str(),
                           schema.name.c_str());
            return false;
        }
    }
    return true;
}

bool ApplyStatement(const Statement& statement, DatabaseSnapshot& database, std::wstring& error) {
    auto table = database.tables.find(statement.table);
    if (table == database.tables.end()) {
        error = L"the base database has no table " + statement.table;
        return false;
    }
    TableData& data = table->second;
    Row row;
    std::vector<bool> given;
    if (!StatementRow(statement, data.schema, row, given, error)) {
        return false;
    }
    const std::wstring key = TableData::KeyOf(data.schema, row);
    auto existing = data.rows.find(key);
    const bool exists = existing != data.rows.end();

    if (statement.verb == L"insert" && exists) {
        error = Format(L"table %s already has this row; use update to change it", statement.table.c_str());
        return false;
    }
    if ((statement.verb == L"update" || statement.verb == L"delete") && !exists) {
        error = Format(L"table %s has no such row", statement.table.c_str());
        return false;
    }
    if (statement.verb == L"delete") {
        data.rows.erase(existing);
        return true;
    }
    if (exists) {
        // update, or Property on a property the base has: change the given columns only.
        for (size_t i = 0; i < row.size(); ++i) {
            if (given[i]) {
                existing->second[i] = row[i];
            }
        }
        return CheckRequired(data.schema, existing->second, error);
    }
    if (!CheckRequired(data.schema, row, error)) {
        return false;
    }
    data.rows[key] = std::move(row);
    return true;
}

// "Intel;1033" with the language 1031 becomes "Intel;1031".
std::wstring WithLanguage(const std::wstring& templateText, const std::wstring& language) {
    const size_t separator = templateText.find(L';');
    const std::wstring platform =
        separator == std::wstring::npos ? templateText : templateText.substr(0, separator);
    return platform + L";" + language;
}

} // namespace

bool ApplyChanges(const std::wstring& text, const std::wstring& source, DatabaseSnapshot& database,
                  std::wstring& error) {
    const std::wstring languageBefore = database.Property(L"ProductLanguage");
    size_t start = 0;
    unsigned lineNumber = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        ++lineNumber;
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;

        Statement statement;
        std::wstring reason;
        if (!ParseStatement(line, statement, reason) ||
            (!statement.verb.empty() && !ApplyStatement(statement, database, reason))) {
            error = Format(L"%s line %u: %s", source.c_str(), lineNumber, reason.c_str());
            return false;
        }
    }
    const std::wstring languageAfter = database.Property(L"ProductLanguage");
    if (languageAfter != languageBefore && !languageAfter.empty()) {
        database.summary.templateText = WithLanguage(database.summary.templateText, languageAfter);
    }
    return true;
}

bool ApplyChangeFile(const std::wstring& path, DatabaseSnapshot& database, std::wstring& error) {
    UniqueFileHandle file(::CreateFileW(tools::ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = Format(L"cannot read the change description %s (error %lu)", path.c_str(), ::GetLastError());
        return false;
    }
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes.erase(0, 3);
    }
    const std::wstring text = FromCodePageExact(bytes, CP_UTF8);
    if (!bytes.empty() && text.empty()) {
        error = Format(L"the change description %s is not UTF-8 text", path.c_str());
        return false;
    }
    return ApplyChanges(text, path, database, error);
}

} // namespace quentry::transform
