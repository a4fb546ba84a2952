// The simulated command bars with their controls and pop-ups, and Word's add-ins list.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "sim/word/word_session.h"

namespace telvora::sim {
namespace {

[[noreturn]] void deleted() { throw wordError(wderr::ObjectDeleted, "Object has been deleted."); }

void detach(ControlNode& node) {
    node.attached = false;
    for (auto& child : node.children) detach(*child);
}

class ControlImpl;

class ControlsImpl final : public word::CommandBarControls {
public:
    ControlsImpl(std::shared_ptr<CommandBarState> bar, std::shared_ptr<ControlNode> popup)
        : bar_(std::move(bar)), popup_(std::move(popup)) {}
    std::int32_t count() override { return static_cast<std::int32_t>(list().size()); }
    std::shared_ptr<word::CommandBarControl> item(std::int32_t index) override;

private:
    std::vector<std::shared_ptr<ControlNode>>& list() {
        if (!popup_->attached) deleted();
        return popup_->children;
    }
    std::shared_ptr<CommandBarState> bar_;
    std::shared_ptr<ControlNode> popup_;
};

class ControlImpl final : public word::CommandBarControl {
public:
    ControlImpl(std::shared_ptr<CommandBarState> bar, std::shared_ptr<ControlNode> node)
        : bar_(std::move(bar)), node_(std::move(node)) {}
    std::string tag() override { return live().tag; }
    bool isPopup() override { return live().popup; }
    std::shared_ptr<word::CommandBarControls> controls() override {
        if (!live().popup) throw RuntimeError::standard(err::MemberNotFound, "Microsoft Office");
        return std::make_shared<ControlsImpl>(bar_, node_);
    }
    void Delete() override {
        (void)live();
        auto& siblings = node_->parent.expired() ? bar_->controls : node_->parent.lock()->children;
        std::erase(siblings, node_);
        detach(*node_);
    }

private:
    ControlNode& live() {
        if (!node_->attached) deleted();
        return *node_;
    }
    std::shared_ptr<CommandBarState> bar_;
    std::shared_ptr<ControlNode> node_;
};

std::shared_ptr<word::CommandBarControl> ControlsImpl::item(std::int32_t index) {
    auto& children = list();
    if (index < 1 || index > static_cast<std::int32_t>(children.size()))
        throw RuntimeError::standard(err::CollectionMemberMissing, "Microsoft Office");
    return std::make_shared<ControlImpl>(bar_, children[static_cast<std::size_t>(index - 1)]);
}

std::shared_ptr<ControlNode> findByTag(const std::vector<std::shared_ptr<ControlNode>>& controls,
                                       const std::string& tag) {
    for (const auto& node : controls) {
        if (node->tag == tag) return node;
        if (node->popup)
            if (auto inside = findByTag(node->children, tag)) return inside;
    }
    return nullptr;
}

void resetControls(CommandBarState& bar) {
    for (auto& node : bar.controls) detach(*node);
    bar.controls.clear();
    for (const auto& control : bar.builtIn) bar.controls.push_back(buildControl(control));
}

class CommandBarImpl final : public word::CommandBar {
public:
    explicit CommandBarImpl(std::shared_ptr<CommandBarState> bar) : bar_(std::move(bar)) {}
    std::shared_ptr<word::CommandBarControl> findControl(const std::string& tag) override {
        auto node = findByTag(bar_->controls, tag);
        // Where the object model answers Nothing, the macro's next call fails with 91: so does this.
        if (!node) throw RuntimeError::objectNotSet("Microsoft Word");
        return std::make_shared<ControlImpl>(bar_, node);
    }
    void Reset() override { resetControls(*bar_); }
    bool visible() override { return bar_->visible; }
    void setVisible(bool visible) override { bar_->visible = visible; }

private:
    std::shared_ptr<CommandBarState> bar_;
};

std::shared_ptr<CommandBarState> findBar(const Session& session, const std::string& name) {
    for (const auto& bar : session.bars)
        if (equalsIgnoringCase(bar->name, name)) return bar;
    return nullptr;
}

class CommandBarsImpl final : public word::CommandBars {
public:
    explicit CommandBarsImpl(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    std::shared_ptr<word::CommandBar> item(const std::string& name) override {
        auto bar = findBar(*session_, name);
        if (!bar) throw RuntimeError::standard(err::CollectionMemberMissing, "Microsoft Word");
        return std::make_shared<CommandBarImpl>(bar);
    }

private:
    std::shared_ptr<Session> session_;
};

std::string fileNameOf(const std::string& path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

class AddInImpl final : public word::AddIn {
public:
    explicit AddInImpl(std::shared_ptr<AddInState> state) : state_(std::move(state)) {}
    bool installed() override { return state_->installed; }
    void setInstalled(bool installed) override { state_->installed = installed; }

private:
    std::shared_ptr<AddInState> state_;
};

class AddInsImpl final : public word::AddIns {
public:
    explicit AddInsImpl(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    // An add-in is found by its Name, which for a template is its file name with the extension
    // ("Telvora.dot"); the name without it finds nothing, as in Word.
    std::shared_ptr<word::AddIn> item(const std::string& name) override {
        for (const auto& a : session_->addIns) {
            if (equalsIgnoringCase(a->name, name)) return std::make_shared<AddInImpl>(a);
        }
        throw RuntimeError::standard(err::CollectionMemberMissing, "Microsoft Word");
    }
    // Adding a file that is listed already answers the listed add-in, as Word does.
    std::shared_ptr<word::AddIn> add(const std::string& path) override {
        const std::string name = fileNameOf(path);
        std::error_code ec;
        if (name.empty() || !std::filesystem::is_regular_file(session_->realPath(path), ec))
            throw wordError(wderr::FileNotFound, "This file could not be found. (" + path + ")");
        for (const auto& a : session_->addIns)
            if (equalsIgnoringCase(a->path, path)) return std::make_shared<AddInImpl>(a);
        auto state = std::make_shared<AddInState>(AddInState{name, path, true});
        session_->addIns.push_back(state);
        return std::make_shared<AddInImpl>(state);
    }

private:
    std::shared_ptr<Session> session_;
};

}  // namespace

std::shared_ptr<ControlNode> buildControl(const MenuControl& control) {
    auto node = std::make_shared<ControlNode>();
    node->tag = control.tag;
    node->caption = control.caption;
    node->popup = control.popup;
    for (const auto& child : control.children) {
        auto c = buildControl(child);
        c->parent = node;
        node->children.push_back(std::move(c));
    }
    return node;
}

std::shared_ptr<word::CommandBars> makeCommandBars(const std::shared_ptr<Session>& session) {
    return std::make_shared<CommandBarsImpl>(session);
}

std::shared_ptr<word::AddIns> makeAddIns(const std::shared_ptr<Session>& session) {
    return std::make_shared<AddInsImpl>(session);
}

void WordProcessor::addCommandBar(std::string name, std::vector<MenuControl> builtIn, bool visible) {
    if (findBar(*session_, name)) throw RuntimeError(err::InvalidProcedureCall, "The command bar " + name + " exists.");
    auto bar = std::make_shared<CommandBarState>();
    bar->name = std::move(name);
    bar->visible = visible;
    bar->builtIn = std::move(builtIn);
    resetControls(*bar);
    session_->bars.push_back(std::move(bar));
}

void WordProcessor::customizeCommandBar(const std::string& name, std::vector<MenuControl> controls) {
    auto bar = findBar(*session_, name);
    if (!bar) throw RuntimeError(err::CollectionMemberMissing, "No command bar is named " + name + ".");
    for (const auto& added : controls) bar->controls.push_back(buildControl(added));
}

namespace {
void collectTags(const std::vector<std::shared_ptr<ControlNode>>& controls, const std::string& prefix,
                 std::vector<std::string>& out) {
    for (const auto& node : controls) {
        out.push_back(prefix + node->tag);
        if (node->popup) collectTags(node->children, prefix + node->tag + "/", out);
    }
}
}  // namespace

std::vector<std::string> WordProcessor::controlTags(const std::string& barName) const {
    auto bar = findBar(*session_, barName);
    if (!bar) throw RuntimeError(err::CollectionMemberMissing, "No command bar is named " + barName + ".");
    std::vector<std::string> tags;
    collectTags(bar->controls, "", tags);
    return tags;
}

bool WordProcessor::commandBarVisible(const std::string& barName) const {
    auto bar = findBar(*session_, barName);
    if (!bar) throw RuntimeError(err::CollectionMemberMissing, "No command bar is named " + barName + ".");
    return bar->visible;
}

void WordProcessor::addAddIn(const std::string& path, bool installed) {
    session_->addIns.push_back(std::make_shared<AddInState>(AddInState{fileNameOf(path), path, installed}));
}

std::vector<AddInInfo> WordProcessor::addInList() const {
    std::vector<AddInInfo> out;
    for (const auto& a : session_->addIns) out.push_back({a->name, a->path, a->installed});
    return out;
}

}  // namespace telvora::sim
