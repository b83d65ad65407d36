// Views of an installer database: a statement prepared and executed with its parameters, and a
// query whose rows are read one by one. A view that cannot be opened or executed simply has no
// rows.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <msiquery.h>

#include <initializer_list>
#include <string>
#include <variant>

namespace quentry {

using QueryParameter = std::variant<int, std::wstring>;

class ICBSMSIDatabaseSQLStatement {
public:
    // Opens the view on database (not owned), binds the parameters when a format is given ("%d"
    // for an integer, "%s" for a string, one two-character directive per parameter, in order) and
    // executes it.
    ICBSMSIDatabaseSQLStatement(MSIHANDLE database, const std::wstring& sql, const std::wstring& format = {},
                                std::initializer_list<QueryParameter> parameters = {});
    virtual ~ICBSMSIDatabaseSQLStatement();
    ICBSMSIDatabaseSQLStatement(const ICBSMSIDatabaseSQLStatement&) = delete;
    ICBSMSIDatabaseSQLStatement& operator=(const ICBSMSIDatabaseSQLStatement&) = delete;

    bool HasView() const { return m_view.IsValid(); }
    // The view's execution succeeded.
    bool Executed() const { return m_executed; }

protected:
    MSIHANDLE View() const { return m_view.Get(); }

    MSIHANDLE m_database;
    // Declared so that the parameters are closed before the view.
    UniqueMsiHandle m_view;
    UniqueMsiHandle m_parameters;

private:
    bool m_executed = false;
};

class ICBSMSIDatabaseQuery : public ICBSMSIDatabaseSQLStatement {
public:
    using ICBSMSIDatabaseSQLStatement::ICBSMSIDatabaseSQLStatement;
    ~ICBSMSIDatabaseQuery() override;

    // Moves to the next row; false when there is none (or no view).
    bool Fetch();
    // A column of the current row; longer values are cut to 4095 characters. Empty without a row.
    std::wstring GetColumnString(UINT column) const;
    // An integer column of the current row; 0 without a row.
    int GetColumnInteger(UINT column) const;

private:
    UniqueMsiHandle m_row;
};

} // namespace quentry
