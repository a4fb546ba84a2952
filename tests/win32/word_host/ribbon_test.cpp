// The add-in's ribbon tab in the Word-like host asking for it as Word 2007 and later do: the
// customUI it answers is well-formed XML in the customUI namespace, every callback it names is
// answered by the connection object by that name, each button's picture is a 32-bit bitmap with
// alpha of its size, the buttons that need a document are grey until one is open (Word asked again
// as the window comes up), and each button's action is its toolbar command.
#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>
#include <map>
#include <set>

#include "base/errors.h"
#include "sim/word/document_builder.h"
#include "support.h"
#include "user_script.h"
#include "win32/automation.h"
#include "win32/dispatch_table.h"
#include "win32/text.h"
#include "word_host/shared_fax_office.h"
#include "word_host/word_host.h"

namespace telvora::win32 {
namespace {

constexpr const char* kCustomUi = "http://schemas.microsoft.com/office/2006/01/customui";

// What Word hands the tab's callbacks: the ribbon to onLoad (counting the times the add-in has Word
// ask again), or the control a button's callback is for (its Id).
class RibbonStandIn final : public ByNameDispatch {
public:
    explicit RibbonStandIn(std::string id = {}) : ByNameDispatch(table()), id_(std::move(id)) {}
    static const DispatchTable& table() {
        static const DispatchTable t({{"Invalidate", 1, MemberKind::Method, {}},
                                      {"InvalidateControl", 2, MemberKind::Method, {{DispatchType::String}}},
                                      {"Id", 3, MemberKind::PropertyGet, {}, DispatchType::String}});
        return t;
    }
    int invalidations = 0;

protected:
    Variant invokeMember(const DispatchMember& member, std::span<Variant>) override {
        if (member.name == "Id") return Variant(id_);
        ++invalidations;
        return Variant();
    }

private:
    std::string id_;
};

struct Button {
    std::string id;
    std::string size;
    bool greyable = false;
};

class RibbonTest : public ::testing::Test, protected host::FaxReadyMachine {
protected:
    void SetUp() override {
        ASSERT_EQ(host.loadAddins(true), (std::vector<std::wstring>{L"Telvora.Pagewire"}));
        xml = host.addins()[0].ribbonXml;
        ASSERT_FALSE(xml.empty()) << "no ribbon for Word's document window";
        ASSERT_TRUE(SUCCEEDED(host.addins()[0].connection->QueryInterface(__uuidof(IRibbonExtensibility),
                                                                          ribbon.putVoid())));
    }
    // A callback called by name, as Word calls it, with the control (or ribbon) it hands over.
    UniqueVariant callback(const std::string& name, IDispatch* argument) {
        UniqueVariant result;
        const DISPID id = test::idOf(ribbon.get(), widen(name));
        EXPECT_NE(DISPID_UNKNOWN, id) << name;
        EXPECT_EQ(S_OK, test::invoke(ribbon.get(), id, DISPATCH_METHOD, {test::objectArgument(argument)}, result.get()))
            << name;
        return result;
    }
    UniqueVariant onButton(const std::string& callbackName, const std::string& id) {
        auto control = makeComObject<RibbonStandIn>(id);
        return callback(callbackName, control.get());
    }
    // The buttons and the names of the callbacks, read from the answered XML by an XML parser.
    void parse() {
        auto document = Win32Automation().create("Msxml2.DOMDocument.3.0");
        document->put("async", Variant(false));
        ASSERT_TRUE(document->call("loadXML", {Variant(narrow(xml))}).toBool())
            << document->get("parseError").toObject()->get("reason").toString();
        document->perform("setProperty", {Variant("SelectionLanguage"), Variant("XPath")});
        document->perform("setProperty", {Variant("SelectionNamespaces"), Variant(std::string("xmlns:c='") + kCustomUi + "'")});
        const auto root = document->get("documentElement").toObject();
        EXPECT_EQ(root->get("namespaceURI").toString(), kCustomUi);
        EXPECT_EQ(root->get("baseName").toString(), "customUI");
        const auto each = [&](const std::string& path, const std::function<void(AutomationObject&)>& f) {
            const auto nodes = document->call("selectNodes", {Variant(path)}).toObject();
            const int count = nodes->get("length").toInt32();
            for (int i = 0; i < count; ++i) f(*nodes->call("item", {Variant(i)}).toObject());
        };
        each("//@*[starts-with(name(), 'on') or starts-with(name(), 'get')]",
             [&](AutomationObject& a) { callbacks.insert(a.get("value").toString()); });
        each("/c:customUI/c:ribbon/c:tabs/c:tab[@label='Telvora']/c:group/c:button", [&](AutomationObject& b) {
            const auto attribute = [&](const char* name) {
                const Variant v = b.call("getAttribute", {Variant(name)});
                return v.is<std::string>() ? v.toString() : std::string();
            };
            buttons.push_back({attribute("id"), attribute("size"), !attribute("getEnabled").empty()});
        });
    }

    std::shared_ptr<sim::WordProcessor> word = std::make_shared<sim::WordProcessor>();
    host::WordHost host{word};
    ComPtr<IRibbonExtensibility> ribbon;
    std::wstring xml;
    std::set<std::string> callbacks;
    std::vector<Button> buttons;
};

TEST_F(RibbonTest, TheTabIsWellFormedCustomUiAndEveryCallbackItNamesIsAnswered) {
    parse();
    EXPECT_EQ(buttons.size(), 12u);
    EXPECT_EQ(callbacks.size(), 4u);
    for (const auto& name : callbacks) EXPECT_NE(DISPID_UNKNOWN, test::idOf(ribbon.get(), widen(name))) << name;
}

// Each picture as Word gets it: a bitmap of the button's size whose alpha lets the ribbon show
// through around the drawing.
TEST_F(RibbonTest, EachButtonsPictureIsABitmapWithAlphaOfItsSize) {
    parse();
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.id);
        UniqueVariant answer = onButton(*callbacks.find("TelvoraRibbonImage"), b.id);
        ASSERT_TRUE(V_VT(answer.get()) == VT_DISPATCH && V_DISPATCH(answer.get()));
        ComPtr<IPicture> picture;
        ASSERT_EQ(S_OK, V_DISPATCH(answer.get())->QueryInterface(IID_IPicture, picture.putVoid()));
        OLE_HANDLE handle = 0;
        ASSERT_EQ(S_OK, picture->get_Handle(&handle));
        DIBSECTION dib{};
        ASSERT_EQ(static_cast<int>(sizeof dib),
                  ::GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof dib, &dib));
        const int size = b.size == "large" ? 32 : 16;
        EXPECT_EQ(dib.dsBm.bmWidth, size);
        EXPECT_EQ(dib.dsBm.bmHeight, size);
        ASSERT_EQ(dib.dsBm.bmBitsPixel, 32);
        const auto* pixels = static_cast<const BYTE*>(dib.dsBm.bmBits);
        int clear = 0, solid = 0;
        for (int p = 0; p < size * size; ++p) {
            const BYTE alpha = pixels[p * 4 + 3];
            clear += alpha == 0;
            solid += alpha == 255;
            // Premultiplied: no colour brighter than its own coverage.
            EXPECT_LE(std::max({pixels[p * 4], pixels[p * 4 + 1], pixels[p * 4 + 2]}), alpha) << "pixel " << p;
        }
        EXPECT_GT(clear, size) << "nothing of the ribbon shows through";
        EXPECT_GT(solid, size) << "nothing is drawn";
    }
}

TEST_F(RibbonTest, ButtonsNeedingADocumentAreGreyUntilOneOpensAndTheRibbonIsAskedAgain) {
    parse();
    auto ui = makeComObject<RibbonStandIn>();
    (void)callback(*callbacks.find("TelvoraRibbonLoad"), ui.get());
    const auto enabled = [&](const Button& b) {
        UniqueVariant answer = onButton("TelvoraRibbonEnabled", b.id);
        EXPECT_EQ(V_VT(answer.get()), VT_BOOL) << b.id;
        return V_BOOL(answer.get()) == VARIANT_TRUE;
    };
    for (const auto& b : buttons) EXPECT_EQ(enabled(b), !b.greyable) << b.id;
    word->open(sim::DocumentBuilder("Letter.doc").text("Fax 555 1234").build());
    EXPECT_GE(ui->invalidations, 1);
    for (const auto& b : buttons) EXPECT_TRUE(enabled(b)) << b.id;
    EXPECT_TRUE(messages.texts().empty());
}

// Marking works on the selection; every other button opens what its toolbar command opens.
TEST_F(RibbonTest, EachButtonRunsItsToolbarCommand) {
    parse();
    word->open(sim::DocumentBuilder("Letter.doc").text("Fax 555 1234 to Ann Okafor").select(4, 12).build());
    const std::map<std::string, std::string> marks = {{"TelvoraFaxNumber", "tlvFaxNumber"},
                                                      {"TelvoraRecipientName", "tlvRecipientName"},
                                                      {"TelvoraRecipientCompany", "tlvCompanyName"},
                                                      {"TelvoraSubject", "tlvSubject"}};
    for (const auto& [id, style] : marks) {
        (void)onButton("TelvoraRibbonAction", id);
        EXPECT_EQ(word->document("Letter.doc")->styleNameAt(sim::StoryKind::Main, 5), style) << id;
    }
    std::map<std::string, std::string> opened;
    for (const auto& b : buttons) {
        if (marks.count(b.id)) continue;
        std::string caption;
        test::UserScript script({test::until(
                                    [&] {
                                        HWND dialog = test::otherDialog(nullptr);
                                        // Message boxes are the watching user's to answer.
                                        if (!dialog || test::windowTextOf(dialog) == L"Telvora") return false;
                                        caption = narrow(test::windowTextOf(dialog));
                                        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
                                        return true;
                                    },
                                    "a window of the command")},
                                [] {});
        const std::size_t answered = messages.texts().size();
        (void)onButton("TelvoraRibbonAction", b.id);
        if (messages.texts().size() > answered) caption = messages.texts().back();
        // Help is no dialog: the help viewer's own window.
        if (caption.empty() && ::FindWindowW(L"HH Parent", nullptr)) caption = "help viewer";
        opened[b.id] = caption;
    }
    // Sending asks first for the fax printer this machine lacks, as the toolbar's buttons do.
    const std::string noFaxPrinter =
        "No fax printer installed. Do you wish to display the Telvora settings to change the printer settings.";
    EXPECT_EQ(opened, (std::map<std::string, std::string>{{"TelvoraAbout", "About Telvora"}, {"TelvoraFaxStatus", "Fax Status"},
                                                          {"TelvoraFax", noFaxPrinter},
                                                          {"TelvoraFaxMerge", noFaxPrinter},
                                                          {"TelvoraHelp", "help viewer"},
                                                          {"TelvoraPrinterSetup", "Telvora Settings"},
                                                          {"TelvoraQuickFax", noFaxPrinter},
                                                          {"TelvoraSettings", "Settings"}}));
}

}  // namespace
}  // namespace telvora::win32
