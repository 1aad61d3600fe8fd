// The small system services of the program: another running copy, the web browser, process exit,
// the clock and the application directory. Each is an interface, so the windows depend on what
// the service does, never on how the system does it.
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

// Opens a page through "rundll32.exe url.dll,FileProtocolHandler" without waiting for it. The
// rundll32.exe is the one in the system folder, named by its full path: searched for by name,
// the program's own folder would come first, and that is a folder the program writes to.
class Win32Browser final : public BrowserService {
public:
    // systemFolder: where rundll32.exe is taken from; empty for the system's own folder.
    explicit Win32Browser(std::wstring systemFolder = {}) : systemFolder_(std::move(systemFolder)) {}
    void Open(const std::wstring& url) override;
private:
    std::wstring systemFolder_;
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

// The system folder ("C:\windows\system32"); empty when the system does not say.
std::wstring SystemFolder();

// The command line the browser service runs for a page with the given rundll32.exe, its path
// in quotation marks.
std::wstring BrowserCommandLine(const std::wstring& rundll32, const std::wstring& url);

}  // namespace zarvio
