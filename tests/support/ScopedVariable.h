#pragma once
#include <cstdlib>
#include <optional>
#include <string>

// Sets or clears one environment variable and puts it back afterwards.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        Put(name_, value);
    }
    ~ScopedVariable() { Put(name_, old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    static void Put(const char* name, const char* value)
    {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

    const char* name_;
    std::optional<std::string> old_;
};
