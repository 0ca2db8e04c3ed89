#pragma once
#include <cstdint>
#include <exception>
#include <string>

namespace runtime
{

// Error numbers the program reacts to, with the classic meanings.
enum ErrorNumber : int32_t
{
    InvalidProcedureCall = 5,
    Overflow = 6,
    TypeMismatch = 13,
    BadFileName = 52,
    FileNotFound = 53,
    FileAlreadyExists = 58,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    ObjectNotSet = 91,
};

// A failure as the program sees it: number, description and the component it arose in.
struct ErrorRecord
{
    int32_t Number = 0;
    std::string Description;
    std::string Source;
};

// The standard description for a known error number ("Overflow" for 6); empty for others.
std::string StandardDescription(int32_t number);

// The source given to errors raised without one. The program sets its own name at start-up.
const std::string& DefaultErrorSource();
void SetDefaultErrorSource(std::string source);

// The one exception type that carries an error record through the program.
class Error : public std::exception
{
public:
    explicit Error(ErrorRecord record);
    // Raises error `number` with its standard description unless one is given.
    explicit Error(int32_t number, std::string description = {}, std::string source = {});

    const ErrorRecord& Record() const noexcept { return record_; }
    int32_t Number() const noexcept { return record_.Number; }
    const std::string& Description() const noexcept { return record_.Description; }
    const std::string& Source() const noexcept { return record_.Source; }
    const char* what() const noexcept override { return record_.Description.c_str(); }

private:
    ErrorRecord record_;
};

// The current error record: set by a guarded procedure's handler, read and cleared by the
// error log. One per process, like the error state of the original runtime.
ErrorRecord& Err();
void SetErr(const ErrorRecord& record);
void ClearErr();

} // namespace runtime
