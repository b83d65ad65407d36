// Helpers of the bundle builder's tests: running the tool, package fixtures and edited copies of
// them, synthetic transforms and bitmaps, and reading a written launcher's resources.
#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quentry::test::bundle {

struct ToolRun {
    DWORD exitCode = 0;
    std::string out; // standard output
    std::string err; // standard error
};

std::wstring ToolPath();
// Runs quentry-bundle.exe with the arguments (each quoted), capturing both output streams.
ToolRun RunTool(const std::vector<std::wstring>& arguments);
// Runs a program with one argument line, capturing both output streams.
ToolRun RunProgram(const std::wstring& program, const std::wstring& arguments);

// <build>\fixtures\packages\<name>.msi
std::wstring Fixture(const std::wstring& name);

// A copy of a package at target, edited through the Windows Installer: SQL statements on its
// tables, then (when given) a new package code in its summary information.
void CopyPackage(const std::wstring& source, const std::wstring& target,
                 const std::vector<std::wstring>& statements,
                 const std::optional<std::wstring>& packageCode = std::nullopt);
// A Property table value and the package code, read through the Windows Installer.
std::wstring PackageProperty(const std::wstring& path, const std::wstring& name);
std::wstring PackageCodeOf(const std::wstring& path);

// A compound file with one stream holding marker, whose root storage has the class
// {000C108<digit>-0000-0000-C000-000000000046}: 2 is a transform, 4 a database, 6 a patch.
void WriteCompoundFile(const std::wstring& path, const std::string& marker, wchar_t classDigit = L'2');
// A .bmp file of width x height pixels with the given bits per pixel (24 bit: a colour gradient).
void WriteBitmapFile(const std::wstring& path, int width, int height, int bits = 24);

UniqueModule LoadBundle(const std::wstring& path);
std::optional<std::vector<BYTE>> ResourceBytes(HMODULE module, const wchar_t* type, const std::wstring& name,
                                               LANGID language);
std::vector<BYTE> FileBytes(const std::wstring& path);
// Replaces (or, with empty bytes, deletes) one type-40 resource of a written launcher.
void ReplaceResource(const std::wstring& path, const std::wstring& name, LANGID language,
                     const std::vector<BYTE>& bytes);

} // namespace quentry::test::bundle
