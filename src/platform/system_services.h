// The small system services of the program: another running copy, the web browser, process exit,
// the clock and the application directory. Each is an interface so that tests can replace it.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace zarvio {

class InstanceService {
public:
    virtual ~InstanceService() = default;
    // Registers this copy and tells whether another copy of the program was already running.
    virtual bool AnotherCopyRunning() = 0;
};

class BrowserService {
public:
    virtual ~BrowserService() = default;
    virtual void Open(const std::wstring& url) = 0;
};

class ProcessExitService {
public:
    virtual ~ProcessExitService() = default;
    virtual void Exit(UINT code) = 0;
};

class ClockService {
public:
    virtual ~ClockService() = default;
    virtual SYSTEMTIME Now() = 0;  // local date and time
};

// A named mutex that lives as long as the process: its prior existence reveals another copy.
class Win32Instance final : public InstanceService {
public:
    explicit Win32Instance(std::wstring name = L"Local\\Zarvio.Player.Running") : name_(std::move(name)) {}
    bool AnotherCopyRunning() override;
private:
    std::wstring name_;
    KernelHandle mutex_;
};

// Opens a page through "rundll32.exe url.dll,FileProtocolHandler" without waiting for it.
class Win32Browser final : public BrowserService {
public:
    void Open(const std::wstring& url) override;
};

class Win32ProcessExit final : public ProcessExitService {
public:
    void Exit(UINT code) override { ExitProcess(code); }
};

class Win32Clock final : public ClockService {
public:
    SYSTEMTIME Now() override {
        SYSTEMTIME t{};
        GetLocalTime(&t);
        return t;
    }
};

// The folder that holds the running executable, without a trailing separator except for the
// root of a drive ("C:\"): "C:" alone would name the current folder of drive C.
std::wstring ExecutableDirectory();

// The running executable's file name without its extension ("zarvio").
std::wstring ExecutableBaseName();

// The command line the browser service runs for a page.
std::wstring BrowserCommandLine(const std::wstring& url);

}  // namespace zarvio
