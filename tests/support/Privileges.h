#pragma once

// While alive, the process's permission checks apply to it even when it runs as root (as CI
// does): the capabilities that bypass file permissions are dropped from the effective set and
// given back afterwards. Lets a test see an unreadable folder or a read-only folder fail.
class ScopedFilePermissions
{
public:
    ScopedFilePermissions();
    ~ScopedFilePermissions();
    ScopedFilePermissions(const ScopedFilePermissions&) = delete;
    ScopedFilePermissions& operator=(const ScopedFilePermissions&) = delete;

private:
    unsigned int saved_[2] = {0, 0};
    bool changed_ = false;
};
