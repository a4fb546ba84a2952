// A Word-like COM host for the Windows tests: the in-memory word processor served over IDispatch
// as Word's object model, loading the add-ins registered for Word as Word does, raising
// WindowActivate through the connection point of Word's application events, registering itself as
// the running Word, and counting every reference and call the add-ins make.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/word/word_processor.h"
#include "sim/word/served_word.h"
#include "win32/handles.h"
#include "win32/office_interfaces.h"
#include "word_host/host_objects.h"

namespace telvora::win32::host {

// Word's add-ins list over the files of the machine: a template is listed by its file name once
// its file exists.
class FileAddIns final : public word::AddIns {
public:
    struct Entry {
        std::string name;
        std::string path;
        bool installed = false;
    };
    std::shared_ptr<word::AddIn> item(const std::string& name) override;
    std::shared_ptr<word::AddIn> add(const std::string& path) override;
    std::vector<Entry> entries() const;

private:
    std::vector<std::shared_ptr<Entry>> entries_;
};

struct LoadedAddin {
    std::wstring progId;
    ComPtr<IDTExtensibility2> connection;
    // What the add-in answered a Word with a ribbon for its document windows ("" when not asked, or
    // when the add-in has no ribbon).
    std::wstring ribbonXml;
};

class WordHost {
public:
    // Needs a single-threaded apartment on the calling thread, as Word's user-interface thread has.
    explicit WordHost(std::shared_ptr<sim::WordProcessor> word);
    ~WordHost();
    WordHost(const WordHost&) = delete;
    WordHost& operator=(const WordHost&) = delete;

    sim::WordProcessor& word() const noexcept { return *word_; }
    sim::ServedWord& served() noexcept { return served_; }
    FileAddIns& addIns() noexcept { return *addIns_; }
    const HostCounters& counters() const noexcept { return *counters_; }
    IDispatch* application() const noexcept;
    std::size_t sinks() const noexcept;

    // What Word does at its start: every add-in under Software\Microsoft\Office\Word\Addins of
    // the user and of the machine with load behaviour 3 is created by its programmatic identifier and connected (connection,
    // add-ins update, start-up complete). One that fails gets load behaviour 2, as Word marks it.
    // Word 2007 and later (`ribbon`) ask each add-in that offers the ribbon's extensibility for the
    // document window's ribbon right after connecting it. Answers the identifiers connected.
    std::vector<std::wstring> loadAddins(bool ribbon = false);
    // What Word does when it closes: begin shutdown, disconnection, release.
    void unloadAddins();
    const std::vector<LoadedAddin>& addins() const noexcept { return addins_; }

    // Registers the application in the running object table as Word.Application, as Word does
    // while it runs, and withdraws it.
    void registerRunning();
    void revokeRunning() noexcept;

private:
    std::shared_ptr<sim::WordProcessor> word_;
    std::shared_ptr<FileAddIns> addIns_;
    sim::ServedWord served_;
    std::shared_ptr<HostCounters> counters_;
    ComPtr<IDispatch> application_;
    std::vector<LoadedAddin> addins_;
    DWORD runningCookie_ = 0;
};

// Word idle: the thread sleeps until a message comes and dispatches it (the add-in's timer ticks
// among them), until `done` answers true or `timeoutMs` has passed. Answers whether `done` came true.
bool idleUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Makes the class of "Word.Application" known to COM on this machine (the running object table is
// found by class), as an installed Word does; removed again when it goes.
class WordClassRegistration {
public:
    WordClassRegistration();
    ~WordClassRegistration();
    WordClassRegistration(const WordClassRegistration&) = delete;
    WordClassRegistration& operator=(const WordClassRegistration&) = delete;
};

}  // namespace telvora::win32::host
