// Every dialog of the add-in is in the gallery: each class in the dialog and merge folders that is
// a form (deriving from Form, directly or through a base of its own) has a sample in
// dialogSamples(), so each new dialog is built, shown and photographed under Windows too.
#include <gtest/gtest.h>

#include <cxxabi.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "sim/scripted_user.h"
#include "support/dialog_samples.h"

namespace telvora::testing {
namespace {

// Names without their namespaces or template arguments ("ns::Base<int>" is "Base").
std::string bareName(std::string name) {
    if (const auto angle = name.find('<'); angle != std::string::npos) name.erase(angle);
    if (const auto colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    return name;
}

// Class name -> its direct bases, from C++ source text (comments removed first).
[[maybe_unused]] void collectClasses(std::string text, std::map<std::string, std::set<std::string>>& bases) {
    text = std::regex_replace(text, std::regex(R"(//[^\n]*)"), " ");
    text = std::regex_replace(text, std::regex(R"(/\*[\s\S]*?\*/)"), " ");
    static const std::regex declaration(R"(\b(?:class|struct)\s+(?:\[\[[^\]]*\]\]\s*)?(\w+)\s*(?:final\s*)?:\s*([^{;]*)\{)");
    for (std::sregex_iterator it(text.begin(), text.end(), declaration), end; it != end; ++it) {
        auto& own = bases[(*it)[1]];
        std::stringstream list((*it)[2].str());
        std::string base;
        while (std::getline(list, base, ',')) {
            base = std::regex_replace(base, std::regex(R"(\b(public|protected|private|virtual)\b)"), " ");
            base = std::regex_replace(base, std::regex(R"(^\s+)"), "");
            if (!base.empty()) own.insert(bareName(base));
        }
    }
}

// The dialogs: classes deriving from Form at any depth that no other such class derives from
// (a shared base of two dialogs is not a dialog of its own).
[[maybe_unused]] std::set<std::string> dialogClasses(const std::map<std::string, std::set<std::string>>& bases) {
    std::set<std::string> forms;
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [name, direct] : bases) {
            if (forms.count(name)) continue;
            for (const auto& b : direct) {
                if (b == "Form" || forms.count(b)) {
                    forms.insert(name);
                    grew = true;
                    break;
                }
            }
        }
    }
    std::set<std::string> leaves = forms;
    for (const auto& name : forms) {
        for (const auto& b : bases.at(name)) leaves.erase(b);
    }
    return leaves;
}

[[maybe_unused]] std::string classNameOf(const Form& form) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(typeid(form).name(), nullptr, nullptr, &status), std::free);
    return bareName(status == 0 && demangled ? demangled.get() : typeid(form).name());
}

TEST(DialogGallery, EveryDialogClassHasASampleThatBuildsIt) {
#if !defined(TELVORA_SOURCE_DIR)
    GTEST_SKIP() << "the sources are not at hand in this build";
#else
    // The scan itself: comments skipped, bases through a shared base, a base of two dialogs no dialog.
    std::map<std::string, std::set<std::string>> bases;
    collectClasses(R"(// class frmCommented : public Form {
        class frmPrinter final : public Form {}; class ConfirmBase : public telvora::Form, private Helper<int> {};
        struct frmSendConfirm final : ConfirmBase {}; class frmQuick : public ConfirmBase, public Labels {};
        class PrinterList : public std::vector<std::string> {}; class Form;)", bases);
    EXPECT_EQ(dialogClasses(bases), (std::set<std::string>{"frmPrinter", "frmQuick", "frmSendConfirm"}));
    bases.clear();
    const std::filesystem::path sources = std::filesystem::path(TELVORA_SOURCE_DIR) / "src";
    ASSERT_TRUE(std::filesystem::is_directory(sources / "forms")) << "not the sources: " << sources;
    for (const char* folder : {"dialogs", "merge"}) {
        const std::filesystem::path root = sources / folder;
        if (!std::filesystem::is_directory(root)) continue;  // no dialogs there yet
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            const auto ext = entry.path().extension();
            if (ext != ".h" && ext != ".cpp") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            collectClasses(std::string(std::istreambuf_iterator<char>(in), {}), bases);
        }
    }

    std::set<std::string> sampled;
    for (const auto& sample : dialogSamples()) {
        sim::ScriptedUser user;
        SampleMachine machine(user);
        std::unique_ptr<Form> form = sample.make(machine);
        ASSERT_TRUE(form) << sample.formName;
        EXPECT_EQ(form->name(), sample.formName) << "the sample of " << sample.formName << " builds another dialog";
        EXPECT_TRUE(form->loaded()) << sample.formName;
        // A load error in a sample would put its message box in the gallery in place of the dialog.
        EXPECT_EQ(user.transcript(), std::vector<std::string>{}) << sample.formName << " " << sample.variant;
        // The shared fax sample is there to show the delivery line the other faxes never show.
        if (sample.formName == "frmSendConfirm") {
            EXPECT_EQ(form->control("lblDelNote").visible(), sample.variant == "shared-fax");
        }
        sampled.insert(classNameOf(*form));
    }
    for (const auto& dialog : dialogClasses(bases)) {
        EXPECT_TRUE(sampled.count(dialog)) << dialog << " has no sample in dialogSamples(), so the gallery never shows it";
    }
#endif
}

}  // namespace
}  // namespace telvora::testing
