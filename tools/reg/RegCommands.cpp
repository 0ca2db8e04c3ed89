#include "tools/reg/RegCommands.h"

#include "platform/hive/CurrentHive.h"
#include "platform/hive/KeyName.h"
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/Registry.h"
#include "tools/reg/RegData.h"
#include "tools/reg/RegFile.h"
#include "tools/reg/RegKeys.h"
#include "tools/reg/RegPath.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <unistd.h>

namespace regtool
{

using namespace win32;

namespace
{
constexpr const char* Done = "The operation completed successfully.\n";
constexpr const char* Canceled = "The operation was canceled by the user.\n";

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Registry text (ANSI) for the terminal, and command-line text (UTF-8) for the registry. A
// name or data shown stays on its line: control characters are shown escaped ("\n", "\x1B"),
// so they can neither split a listing nor steer the terminal.
std::string Shown(std::string_view ansi)
{
    const auto control = [](char c) {
        const char16_t shown = AnsiToChar(static_cast<unsigned char>(c));
        return shown < 0x20 || (shown >= 0x7F && shown <= 0x9F);
    };
    if (std::none_of(ansi.begin(), ansi.end(), control))
        return AnsiToUtf8(ansi);
    std::string out;
    for (const char c : ansi) {
        if (!control(c)) {
            out += AnsiToUtf8(std::string_view(&c, 1));
            continue;
        }
        char escaped[8];
        const char* named = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : nullptr;
        std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
        out += named ? named : escaped;
    }
    return out;
}

std::string Typed(std::string_view utf8)
{
    return Utf8ToAnsi(utf8);
}

const char* const UsageMain = R"(
REG Operation [Parameter List]

  Operation  [ QUERY | ADD | DELETE | EXPORT | IMPORT ]

Return Code: (Except for REG COMPARE)

  0 - Successful
  1 - Failed

For help on a specific operation type:

  REG Operation /?

Examples:

  REG QUERY /?
  REG ADD /?
  REG DELETE /?
  REG EXPORT /?
  REG IMPORT /?
)";

const char* const UsageQuery = R"(
REG QUERY KeyName [/v [ValueName] | /ve] [/s]

  KeyName    ROOTKEY\SubKey
    ROOTKEY  [ HKLM | HKCU | HKCR | HKU | HKCC ] (or the full names)
    SubKey   The full name of a registry key under the selected ROOTKEY.

  /v         Queries for the value ValueName of the key.
  /ve        Queries for the default value (empty value name).
  /s         Queries all subkeys and values recursively.

Examples:

  REG QUERY "HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" /v Favorites
  REG QUERY HKCU\Software\Orrindale /s
)";

const char* const UsageAdd = R"(
REG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]

  KeyName    ROOTKEY\SubKey (ROOTKEY as for REG QUERY)
  /v         The value name, under the selected key, to add.
  /ve        Adds the default value (empty value name).
  /t         RegKey data types
             [ REG_SZ    | REG_MULTI_SZ | REG_EXPAND_SZ |
               REG_DWORD | REG_QWORD    | REG_BINARY    | REG_NONE ]
             If omitted, REG_SZ is assumed.
  /s         Specify one character that you use as the separator in your data
             string for REG_MULTI_SZ. If omitted, use "\0" as the separator.
  /d         The data to assign to the registry ValueName being added.
  /f         Force overwriting the existing registry entry without prompt.

Examples:

  REG ADD "HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" /v Favorites /d /home/me/Favorites /f
  REG ADD HKCU\Software\Orrindale\Strandmoor /v Timeout /t REG_DWORD /d 5000 /f
)";

const char* const UsageDelete = R"(
REG DELETE KeyName [/v ValueName | /ve | /va] [/f]

  KeyName    ROOTKEY\SubKey (ROOTKEY as for REG QUERY)
  ValueName  The value name, under the selected key, to delete.
             When omitted, the key with all its subkeys and values is deleted.
  /ve        Deletes the default value (empty value name).
  /va        Deletes all values under this key.
  /f         Forces the deletion without prompt.

Examples:

  REG DELETE HKCU\Software\Orrindale\Strandmoor /v Timeout /f
  REG DELETE HKCU\Software\Orrindale /f
)";

const char* const UsageExport = R"(
REG EXPORT KeyName FileName [/y]

  Keyname    ROOTKEY\SubKey (ROOTKEY as for REG QUERY)
  FileName   The name of the disk file to export.
  /y         Force overwriting the existing file without prompt.

Example:

  REG EXPORT HKCU\Software\Orrindale strandmoor.reg
)";

const char* const UsageImport = R"(
REG IMPORT FileName

  FileName  The name of the disk file to import (a .reg file).

Example:

  REG IMPORT strandmoor.reg
)";

struct Options
{
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Switches; // upper-case switch name, its argument
    bool Help = false;

    bool Has(const std::string& name) const { return Switches.count(name) != 0; }
};

// Splits arguments into switches ("/v" or "-v") and positional arguments. A switch that
// takes an argument takes the next one as it is, so data such as "/home/me" stays data; any
// other argument starting with "/" is a file path, as paths are here.
bool ParseOptions(const std::vector<std::string>& args, const std::set<std::string>& flags,
                  const std::set<std::string>& withArgument, Options& options)
{
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string name = arg.size() > 1 ? Upper(arg.substr(1)) : std::string();
        const bool marked = arg.size() > 1 && (arg[0] == '/' || arg[0] == '-');
        if (marked && name == "?") {
            options.Help = true;
        } else if (marked && (flags.count(name) || withArgument.count(name))) {
            if (options.Has(name))
                return false;
            if (flags.count(name)) {
                options.Switches[name];
            } else {
                if (i + 1 >= args.size())
                    return false;
                options.Switches[name] = args[++i];
            }
        } else if (arg[0] == '-' && arg.size() > 1) {
            return false;
        } else {
            options.Positional.push_back(arg);
        }
    }
    return true;
}

// What a failed registry call was about, so its status can be told in words that fit.
enum class Subject
{
    Key,
    Value,
};

std::string Describe(LONG status, Subject about = Subject::Key)
{
    switch (status) {
    case ERROR_FILE_NOT_FOUND:
        return "The system was unable to find the specified registry key or value.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied.";
    case ERROR_BADDB:
    case ERROR_CANTOPEN: {
        const std::string why = hive::LastOpenError();
        return why.empty() ? "The registry hive cannot be used." : why;
    }
    case ERROR_BADKEY:
        return "Invalid key name: the key would lie more than " + std::to_string(hive::MaxKeyDepth) +
               " levels below its root.";
    case ERROR_INVALID_PARAMETER:
        if (about == Subject::Value)
            return "Invalid value name: it is longer than " + std::to_string(hive::MaxValueNameLength) + " characters.";
        return "Invalid key name: a part of it is longer than " + std::to_string(hive::MaxKeyNameLength) +
               " characters.";
    case ERROR_BAD_PATHNAME:
        return "Invalid key name.";
    default:
        return "The registry operation failed (error " + std::to_string(status) + ").";
    }
}

class Command
{
public:
    Command(const std::string& operation, Console& console) : operation_(operation), console_(console) {}

    int InvalidSyntax()
    {
        console_.Err << "ERROR: Invalid syntax.\nType \"REG " << operation_ << " /?\" for usage.\n";
        return 1;
    }

    int InvalidKey()
    {
        console_.Err << "ERROR: Invalid key name.\nType \"REG " << operation_ << " /?\" for usage.\n";
        return 1;
    }

    int Failed(LONG status, Subject about = Subject::Key)
    {
        console_.Err << "ERROR: " << Describe(status, about) << "\n";
        return 1;
    }

    int Error(const std::string& message)
    {
        console_.Err << "ERROR: " << message << "\n";
        return 1;
    }

    int Succeeded()
    {
        console_.Out << Done;
        return 0;
    }

    // Asks a Yes/No question; anything but yes (or the end of input) is no.
    bool Confirm(const std::string& question)
    {
        console_.Out << question << "(Yes/No)? " << std::flush;
        std::string answer;
        if (!std::getline(console_.In, answer))
            return false;
        while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back())))
            answer.pop_back();
        answer = Upper(answer);
        return answer == "Y" || answer == "YES";
    }

    int Declined()
    {
        console_.Out << Canceled;
        return 1;
    }

    std::ostream& Out() { return console_.Out; }
    std::istream& In() { return console_.In; }

private:
    std::string operation_;
    Console& console_;
};

void PrintValue(std::ostream& out, const KeyValue& value)
{
    out << "    " << (value.Name.empty() ? std::string("(Default)") : Shown(value.Name)) << "    "
        << TypeName(value.Type) << "    " << Shown(DataToText(value.Type, value.Data)) << "\n";
}

// Prints a key and its values (only the one named filter, when given); with recurse, the
// same for every key below. matches counts the values printed.
LONG PrintTree(std::ostream& out, const KeyPath& path, const std::optional<std::string>& filter, bool recurse,
               size_t& matches)
{
    const auto print = [&](HKEY key, const std::string& name, const std::vector<std::string>& subkeys) {
        std::vector<KeyValue> values;
        const LONG status = ReadValues(key, values);
        if (status != ERROR_SUCCESS)
            return status;
        std::vector<const KeyValue*> shown;
        for (const KeyValue& value : values) {
            if (!filter || hive::FoldName(value.Name) == hive::FoldName(*filter))
                shown.push_back(&value);
        }
        if (!filter || !shown.empty()) {
            out << Shown(name) << "\n";
            for (const KeyValue* value : shown)
                PrintValue(out, *value);
            out << "\n";
        }
        matches += shown.size();
        if (!recurse && !filter) {
            for (const std::string& subkey : subkeys)
                out << Shown(name + "\\" + subkey) << "\n";
        }
        return ERROR_SUCCESS;
    };
    // One unchanging state of the hive for the whole listing.
    return hive::RunAsOne(false, [&] { return WalkTree(path, KEY_READ, recurse, print); });
}

int Query(const std::vector<std::string>& args, Console& console)
{
    Command command("QUERY", console);
    Options options;
    if (!ParseOptions(args, {"VE", "S"}, {"V"}, options))
        return command.InvalidSyntax();
    if (options.Help) {
        console.Out << UsageQuery;
        return 0;
    }
    if (options.Positional.size() != 1 || (options.Has("V") && options.Has("VE")))
        return command.InvalidSyntax();
    KeyPath path;
    if (!ParseKeyPath(Typed(options.Positional[0]), path))
        return command.InvalidKey();
    std::optional<std::string> filter;
    if (options.Has("V"))
        filter = Typed(options.Switches["V"]);
    if (options.Has("VE"))
        filter = std::string();
    std::ostringstream text;
    text << "\n";
    size_t matches = 0;
    const LONG status = PrintTree(text, path, filter, options.Has("S"), matches);
    if (status != ERROR_SUCCESS)
        return command.Failed(status);
    if (filter && matches == 0)
        return command.Failed(ERROR_FILE_NOT_FOUND);
    console.Out << text.str();
    if (filter && options.Has("S"))
        console.Out << "End of search: " << matches << " match(es) found.\n";
    return 0;
}

int Add(const std::vector<std::string>& args, Console& console)
{
    Command command("ADD", console);
    Options options;
    if (!ParseOptions(args, {"VE", "F"}, {"V", "T", "S", "D"}, options))
        return command.InvalidSyntax();
    if (options.Help) {
        console.Out << UsageAdd;
        return 0;
    }
    if (options.Positional.size() != 1 || (options.Has("V") && options.Has("VE")))
        return command.InvalidSyntax();
    KeyPath path;
    if (!ParseKeyPath(Typed(options.Positional[0]), path))
        return command.InvalidKey();
    DWORD type = REG_SZ;
    if (options.Has("T")) {
        const auto named = TypeFromName(options.Switches["T"]);
        if (!named)
            return command.Error("Invalid value type \"" + options.Switches["T"] + "\".");
        type = *named;
    }
    const bool hasValue = options.Has("V") || options.Has("VE");
    if (options.Has("S") && (type != REG_MULTI_SZ || options.Switches["S"].empty()))
        return command.InvalidSyntax();
    if (!hasValue && (options.Has("D") || options.Has("T")))
        return command.InvalidSyntax();
    const std::string separator = options.Has("S") ? Typed(options.Switches["S"]) : std::string("\\0");
    const auto data = DataFromText(type, Typed(options.Has("D") ? options.Switches["D"] : ""), separator);
    if (!data)
        return command.Error("The data \"" + options.Switches["D"] + "\" is not valid for " + TypeName(type) + ".");

    KeyHandle key;
    LONG status = key.Create(path);
    if (status != ERROR_SUCCESS)
        return command.Failed(status);
    if (!hasValue)
        return command.Succeeded();
    const std::string name = options.Has("V") ? Typed(options.Switches["V"]) : std::string();
    if (!options.Has("F") &&
        RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        if (!command.Confirm("Value " + (name.empty() ? std::string("(Default)") : Shown(name)) + " exists, overwrite"))
            return command.Declined();
    }
    status = RegSetValueExA(key.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data->data()),
                            static_cast<DWORD>(data->size()));
    if (status != ERROR_SUCCESS)
        return command.Failed(status, Subject::Value);
    return command.Succeeded();
}

int Delete(const std::vector<std::string>& args, Console& console)
{
    Command command("DELETE", console);
    Options options;
    if (!ParseOptions(args, {"VE", "VA", "F"}, {"V"}, options))
        return command.InvalidSyntax();
    if (options.Help) {
        console.Out << UsageDelete;
        return 0;
    }
    const int chosen = int(options.Has("V")) + int(options.Has("VE")) + int(options.Has("VA"));
    if (options.Positional.size() != 1 || chosen > 1)
        return command.InvalidSyntax();
    KeyPath path;
    if (!ParseKeyPath(Typed(options.Positional[0]), path) || (chosen == 0 && path.Sub.empty()))
        return command.InvalidKey();
    const bool force = options.Has("F");
    KeyHandle key;
    LONG status = key.Open(path, KEY_ALL_ACCESS);
    if (status != ERROR_SUCCESS)
        return command.Failed(status);

    if (options.Has("V") || options.Has("VE")) {
        const std::string name = options.Has("V") ? Typed(options.Switches["V"]) : std::string();
        status = RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return command.Failed(status);
        if (!force && !command.Confirm("Delete the registry value " +
                                       (name.empty() ? std::string("(Default)") : Shown(name)) + " "))
            return command.Declined();
        status = RegDeleteValueA(key.Get(), name.c_str());
        return status == ERROR_SUCCESS ? command.Succeeded() : command.Failed(status);
    }
    if (options.Has("VA")) {
        if (!force && !command.Confirm("Delete all values under the registry key " + Shown(FullName(path)) + " "))
            return command.Declined();
        status = hive::RunAsOne(true, [&] {
            std::vector<KeyValue> values;
            LONG deleted = ReadValues(key.Get(), values);
            for (size_t i = 0; deleted == ERROR_SUCCESS && i < values.size(); ++i)
                deleted = RegDeleteValueA(key.Get(), values[i].Name.c_str());
            return deleted;
        });
        return status == ERROR_SUCCESS ? command.Succeeded() : command.Failed(status);
    }
    if (!force && !command.Confirm("Permanently delete the registry key " + Shown(FullName(path)) + " "))
        return command.Declined();
    // The whole tree goes, or (when something fails half-way) none of it.
    key.Close();
    status = hive::RunAsOne(true, [&] { return DeleteTree(path); });
    return status == ERROR_SUCCESS ? command.Succeeded() : command.Failed(status);
}

// Writes a key and everything below it, as one unchanging state of the hive. Names a file
// cannot hold are listed in skipped; a key skipped so is skipped with everything below it.
LONG ExportTree(const KeyPath& path, RegFileWriter& writer, std::vector<std::string>& skipped)
{
    std::string skippedKey;
    const auto write = [&](HKEY key, const std::string& name, const std::vector<std::string>&) {
        if (!skippedKey.empty() && name.compare(0, skippedKey.size() + 1, skippedKey + "\\") == 0)
            return ERROR_SUCCESS;
        if (!Writable(name)) {
            skippedKey = name;
            skipped.push_back("the key " + Shown(name));
            return ERROR_SUCCESS;
        }
        std::vector<KeyValue> values;
        const LONG status = ReadValues(key, values);
        if (status != ERROR_SUCCESS)
            return status;
        writer.AddKey(name);
        for (const KeyValue& value : values) {
            if (Writable(value.Name))
                writer.AddValue(value.Name, value.Type, value.Data);
            else
                skipped.push_back("the value " + Shown(value.Name) + " of " + Shown(name));
        }
        return ERROR_SUCCESS;
    };
    return hive::RunAsOne(false, [&] { return WalkTree(path, KEY_READ, true, write); });
}

// Replaces the file in one step, so an interrupted export leaves the old file or the new
// one, never half of one.
bool WriteFileAtomically(const std::string& file, const std::string& bytes)
{
    const std::string temporary = file + ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

int Export(const std::vector<std::string>& args, Console& console)
{
    Command command("EXPORT", console);
    Options options;
    if (!ParseOptions(args, {"Y"}, {}, options))
        return command.InvalidSyntax();
    if (options.Help) {
        console.Out << UsageExport;
        return 0;
    }
    if (options.Positional.size() != 2)
        return command.InvalidSyntax();
    KeyPath path;
    if (!ParseKeyPath(Typed(options.Positional[0]), path))
        return command.InvalidKey();
    const std::string& file = options.Positional[1];
    RegFileWriter writer;
    std::vector<std::string> skipped;
    const LONG status = ExportTree(path, writer, skipped);
    if (status != ERROR_SUCCESS)
        return command.Failed(status);
    std::error_code ec;
    if (!options.Has("Y") && std::filesystem::exists(file, ec) &&
        !command.Confirm("File " + file + " already exists. Overwrite "))
        return command.Declined();
    if (!WriteFileAtomically(file, writer.Bytes()))
        return command.Error("Cannot write the file " + file + ".");
    if (!skipped.empty()) {
        // A name with a line break cannot stand in a registration file; say what is missing.
        for (const std::string& item : skipped)
            console.Err << "ERROR: " << item << " has a line break in its name and was not exported.\n";
        return 1;
    }
    return command.Succeeded();
}

// Applies a file's changes in order. The key of the last section stays open for the values
// that follow it, so a section is looked up once, not once for each of its values.
class Importer
{
public:
    // about says what a failure was about.
    LONG Apply(const RegFileItem& item, Subject& about)
    {
        about = Subject::Key;
        switch (item.What) {
        case RegFileItem::Kind::Key:
            return Use(item.Key, true);
        case RegFileItem::Kind::DeleteKey: {
            key_.Close();
            const LONG status = DeleteTree(item.Key);
            return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
        }
        case RegFileItem::Kind::Value: {
            const LONG status = Use(item.Key, true);
            if (status != ERROR_SUCCESS)
                return status;
            about = Subject::Value;
            return RegSetValueExA(key_.Get(), item.Name.c_str(), 0, item.Type,
                                  reinterpret_cast<const BYTE*>(item.Data.data()), static_cast<DWORD>(item.Data.size()));
        }
        case RegFileItem::Kind::DeleteValue: {
            LONG status = Use(item.Key, false);
            if (status == ERROR_SUCCESS)
                status = RegDeleteValueA(key_.Get(), item.Name.c_str());
            return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
        }
        }
        return ERROR_INVALID_PARAMETER;
    }

private:
    // Opens (or with create, creates) the key unless it is open already.
    LONG Use(const KeyPath& path, bool create)
    {
        const std::string name = FullName(path);
        if (key_.Get() != 0 && name == name_)
            return ERROR_SUCCESS;
        name_.clear();
        const LONG status = create ? key_.Create(path) : key_.Open(path, KEY_ALL_ACCESS);
        if (status == ERROR_SUCCESS)
            name_ = name;
        return status;
    }

    KeyHandle key_;
    std::string name_;
};

int Import(const std::vector<std::string>& args, Console& console)
{
    Command command("IMPORT", console);
    Options options;
    if (!ParseOptions(args, {}, {}, options))
        return command.InvalidSyntax();
    if (options.Help) {
        console.Out << UsageImport;
        return 0;
    }
    if (options.Positional.size() != 1)
        return command.InvalidSyntax();
    const std::string& file = options.Positional[0];
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return command.Error("Error opening the file " + file + ": it is a folder.");
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open())
        return command.Error("Error opening the file " + file + ".");
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return command.Error("Error reading the file " + file + ".");
    std::vector<RegFileItem> items;
    std::string error;
    if (!ParseRegFile(content.str(), items, error))
        return command.Error(file + ", " + error + " Nothing was imported.");
    // The whole file is one change: a line that cannot be applied takes back the lines before.
    const RegFileItem* failed = nullptr;
    Subject about = Subject::Key;
    const LONG status = hive::RunAsOne(true, [&] {
        Importer importer;
        for (const RegFileItem& item : items) {
            const LONG applied = importer.Apply(item, about);
            if (applied != ERROR_SUCCESS) {
                failed = &item;
                return applied;
            }
        }
        return ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS)
        return command.Succeeded();
    if (!failed)
        return command.Failed(status);
    return command.Error(file + ", line " + std::to_string(failed->Line) + ": " + Describe(status, about) +
                         " Nothing was imported.");
}
} // namespace

int RunReg(const std::vector<std::string>& args, Console& console)
{
    if (args.empty()) {
        console.Err << "ERROR: Invalid syntax.\nType \"REG /?\" for usage.\n";
        return 1;
    }
    const std::string operation = Upper(args[0]);
    if (operation == "/?" || operation == "-?") {
        console.Out << UsageMain;
        return 0;
    }
    if (operation == "QUERY")
        return Query(args, console);
    if (operation == "ADD")
        return Add(args, console);
    if (operation == "DELETE")
        return Delete(args, console);
    if (operation == "EXPORT")
        return Export(args, console);
    if (operation == "IMPORT")
        return Import(args, console);
    console.Err << "ERROR: Invalid syntax.\nType \"REG /?\" for usage.\n";
    return 1;
}

} // namespace regtool
