#include "platform/runtime/ErrorRecord.h"

#include <utility>

namespace runtime
{

namespace
{
std::string& DefaultSourceStorage()
{
    static std::string source = "Strandmoor";
    return source;
}
} // namespace

std::string StandardDescription(int32_t number)
{
    switch (number) {
    case InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case Overflow:
        return "Overflow";
    case TypeMismatch:
        return "Type mismatch";
    case BadFileName:
        return "Bad file name or number";
    case FileNotFound:
        return "File not found";
    case FileAlreadyExists:
        return "File already exists";
    case PermissionDenied:
        return "Permission denied";
    case PathFileAccessError:
        return "Path/File access error";
    case PathNotFound:
        return "Path not found";
    case ObjectNotSet:
        return "Object variable or With block variable not set";
    default:
        return {};
    }
}

const std::string& DefaultErrorSource()
{
    return DefaultSourceStorage();
}

void SetDefaultErrorSource(std::string source)
{
    DefaultSourceStorage() = std::move(source);
}

Error::Error(ErrorRecord record) : record_(std::move(record)) {}

Error::Error(int32_t number, std::string description, std::string source)
{
    record_.Number = number;
    record_.Description = description.empty() ? StandardDescription(number) : std::move(description);
    record_.Source = source.empty() ? DefaultErrorSource() : std::move(source);
}

ErrorRecord& Err()
{
    static ErrorRecord current;
    return current;
}

void SetErr(const ErrorRecord& record)
{
    Err() = record;
}

void ClearErr()
{
    Err() = ErrorRecord{};
}

} // namespace runtime
