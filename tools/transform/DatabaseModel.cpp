#include "DatabaseModel.h"

namespace quentry::transform {

namespace {
constexpr int kTypeValid = 0x0100;
constexpr int kTypeLocalizable = 0x0200;
constexpr int kTypeFixed = 0x0400; // set for every column that is not a stream
constexpr int kTypeString = 0x0800;
constexpr int kTypeNullable = 0x1000;
constexpr int kTypeKey = 0x2000;
} // namespace

int ColumnDef::StoredType() const {
    int type = kTypeValid;
    switch (kind) {
    case ColumnKind::Int16:
    case ColumnKind::Int32:
        type |= kTypeFixed | width;
        break;
    case ColumnKind::String:
        type |= kTypeFixed | kTypeString | (width & 0xff);
        if (localizable) {
            type |= kTypeLocalizable;
        }
        break;
    case ColumnKind::Stream:
        type |= kTypeString;
        break;
    }
    if (nullable) {
        type |= kTypeNullable;
    }
    if (key) {
        type |= kTypeKey;
    }
    return type;
}

std::wstring ColumnDef::TypeText() const {
    wchar_t letter = L's';
    switch (kind) {
    case ColumnKind::Int16:
    case ColumnKind::Int32:
        letter = L'i';
        break;
    case ColumnKind::String:
        letter = localizable ? L'l' : L's';
        break;
    case ColumnKind::Stream:
        letter = L'v';
        break;
    }
    if (nullable) {
        letter = static_cast<wchar_t>(letter - L'a' + L'A');
    }
    std::wstring text(1, letter);
    text += std::to_wstring(width);
    return text;
}

bool ColumnDef::SameDefinition(const ColumnDef& other) const {
    return name == other.name && kind == other.kind && width == other.width && nullable == other.nullable &&
           localizable == other.localizable && key == other.key;
}

bool Value::operator==(const Value& other) const {
    if (kind != other.kind) {
        return false;
    }
    switch (kind) {
    case Kind::Null:
        return true;
    case Kind::Integer:
        return integer == other.integer;
    case Kind::String:
        return text == other.text;
    case Kind::Stream:
        return bytes == other.bytes;
    }
    return false;
}

std::wstring Value::KeyText() const {
    switch (kind) {
    case Kind::Integer:
        return std::to_wstring(integer);
    case Kind::String:
        return text;
    default:
        return {};
    }
}

std::wstring TableData::KeyOf(const TableSchema& schema, const Row& row) {
    std::wstring key;
    for (size_t i = 0; i < schema.columns.size() && i < row.size(); ++i) {
        if (!schema.columns[i].key) {
            continue;
        }
        if (!key.empty()) {
            key += L'\x1';
        }
        // A null key and an empty one are the same to the installer; the marker keeps "" apart from
        // the separator of the next key.
        key += row[i].IsNull() ? std::wstring(L"\x2") : row[i].KeyText();
    }
    return key;
}

std::wstring DatabaseSnapshot::Property(const std::wstring& name) const {
    auto table = tables.find(L"Property");
    if (table == tables.end()) {
        return {};
    }
    auto row = table->second.rows.find(name);
    if (row == table->second.rows.end() || row->second.size() < 2) {
        return {};
    }
    return row->second[1].KeyText();
}

} // namespace quentry::transform
