// What Word offers the companion template's builder, added to the Word-like host: new template
// documents, importing a macro module into one, the customization context, new command bars and
// their buttons, saving as a template, closing and quitting. Each is recorded as Word received it,
// for the tests to hold against what the builder was given.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/automation.h"

namespace telvora::win32::host {

struct BuiltControl {
    int type = 0;
    std::string caption;
    std::string tooltip;
    std::string onAction;
    std::string tag;
    int faceId = 0;
    int style = 0;
    bool beginGroup = false;
};

struct BuiltBar {
    std::string name;
    int position = 0;
    bool menuBar = false;
    bool temporary = true;
    bool visible = false;
    std::string context;  // the name of the customization context the bar was made in
    std::vector<BuiltControl> controls;
};

struct BuiltDocument {
    std::string name;
    bool isTemplate = false;
    std::vector<std::string> importedModules;  // each module file's text as Word read it
    std::string savedAs;
    int saveFormat = -1;
    bool closed = false;
    int closeSaveChanges = -1;
};

struct TemplateBuildRecord {
    std::vector<BuiltDocument> documents;
    std::vector<BuiltBar> bars;
    std::string context = "Normal";  // the customization context now
    bool quit = false;
    // Word refuses macros access to a document's macro project unless the user trusts it.
    bool projectAccessTrusted = true;
};

// Word's application as the builder sees it: the members above answered here and recorded in
// `record`, every other member handed on to `application`, the served word processor's.
std::shared_ptr<AutomationObject> withTemplateBuilding(std::shared_ptr<AutomationObject> application,
                                                       std::shared_ptr<TemplateBuildRecord> record);

}  // namespace telvora::win32::host
