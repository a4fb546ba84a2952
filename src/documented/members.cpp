// The documented members and the type rules of a type-library server.
#include "documented/members.h"

#include <cmath>
#include <stdexcept>

#include "base/conversions.h"
#include "base/errors.h"
#include "base/text.h"

namespace telvora::documented {
namespace {

constexpr Kind M = Kind::Method;
constexpr Kind P = Kind::Property;
constexpr Kind R = Kind::ReadOnlyProperty;

#define WORD_PAGE(page) "https://learn.microsoft.com/office/vba/api/" page
#define FAX_PAGE(page) "https://learn.microsoft.com/previous-versions/windows/desktop/fax/" page
// WinFax's SDK is Symantec's own (WinFax PRO SDK, "SDKSend object"): every Set and Add call and
// Send answer a 16-bit status, 0 for success; the two polls answer non-zero once ready.
#define WINFAX_PAGE "WinFax PRO SDK reference, SDKSend object (Symantec)"

// Word's PrintOut arguments, all optional Variants, in the documented order.
std::vector<Argument> printOutArguments() {
    using enum Type;
    std::vector<Argument> a;
    for (const char* name : {"Background", "Append", "Range", "OutputFileName", "From", "To", "Item", "Copies", "Pages",
                             "PageType", "PrintToFile", "Collate", "FileName", "ActivePrinterMacGX",
                             "ManualDuplexPrint", "PrintZoomColumn", "PrintZoomRow", "PrintZoomPaperWidth",
                             "PrintZoomPaperHeight"})
        a.push_back({name, Variant, true});
    return a;
}

std::vector<Argument> findExecuteArguments() {
    using enum Type;
    std::vector<Argument> a;
    for (const char* name : {"FindText", "MatchCase", "MatchWholeWord", "MatchWildcards", "MatchSoundsLike",
                             "MatchAllWordForms", "Forward", "Wrap", "Format", "ReplaceWith", "Replace", "MatchKashida",
                             "MatchDiacritics", "MatchAlefHamza", "MatchControl"})
        a.push_back({name, Variant, true});
    return a;
}

// The font attributes the add-in saves and restores, with the types Word documents for them.
void addFontAttributes(std::vector<Member>& table) {
    using enum Type;
    const struct {
        const char* name;
        Type type;
    } attributes[] = {
        {"AllCaps", Long}, {"StrikeThrough", Long}, {"Subscript", Long}, {"Superscript", Long}, {"Bold", Long},
        {"BoldBi", Long}, {"DisableCharacterSpaceGrid", Boolean}, {"DoubleStrikeThrough", Long}, {"Emboss", Long},
        {"EmphasisMark", Long}, {"Engrave", Long}, {"Italic", Long}, {"ItalicBi", Long}, {"Outline", Long},
        {"Shadow", Long}, {"Spacing", Single}, {"Size", Single}, {"SizeBi", Single}, {"SmallCaps", Long},
        {"Color", Long}, {"ColorIndex", Long}, {"ColorIndexBi", Long}, {"DiacriticColor", Long}, {"Underline", Long},
        {"UnderlineColor", Long}, {"Animation", Long}, {"Name", String},
    };
    for (const auto& a : attributes) table.push_back({"Word.Font", a.name, P, a.type, "", {}, WORD_PAGE("word.font")});
}

std::vector<Member> makeTable() {
    using enum Type;
    std::vector<Member> t = {
        // --- Word ---------------------------------------------------------------------------------
        {"Word.Application", "ActiveDocument", R, Object, "Word.Document", {}, WORD_PAGE("word.application.activedocument")},
        {"Word.Application", "Selection", R, Object, "Word.Selection", {}, WORD_PAGE("word.application.selection")},
        {"Word.Application", "Documents", R, Object, "Word.Documents", {}, WORD_PAGE("word.application.documents")},
        {"Word.Application", "CommandBars", R, Object, "Office.CommandBars", {}, WORD_PAGE("word.application.commandbars")},
        {"Word.Application", "AddIns", R, Object, "Word.AddIns", {}, WORD_PAGE("word.application.addins")},
        {"Word.Application", "ActivePrinter", P, String, "", {}, WORD_PAGE("word.application.activeprinter")},
        {"Word.Application", "PrintOut", M, Void, "", printOutArguments(), WORD_PAGE("word.application.printout")},
        {"Word.Application", "Path", R, String, "", {}, WORD_PAGE("word.application.path")},
        {"Word.Application", "StatusBar", P, String, "", {}, WORD_PAGE("word.application.statusbar")},
        {"Word.Document", "Name", R, String, "", {}, WORD_PAGE("word.document.name")},
        {"Word.Document", "Content", R, Object, "Word.Range", {}, WORD_PAGE("word.document.content")},
        {"Word.Document", "Styles", R, Object, "Word.Styles", {}, WORD_PAGE("word.document.styles")},
        {"Word.Document", "Fields", R, Object, "Word.Fields", {}, WORD_PAGE("word.document.fields")},
        {"Word.Document", "MailMerge", R, Object, "Word.MailMerge", {}, WORD_PAGE("word.document.mailmerge")},
        {"Word.Document", "Close", M, Void, "",
         {{"SaveChanges", Variant, true}, {"OriginalFormat", Variant, true}, {"RouteDocument", Variant, true}},
         WORD_PAGE("word.document.close(method)")},
        {"Word.Document", "PrintOut", M, Void, "", printOutArguments(), WORD_PAGE("word.document.printout")},
        {"Word.Document", "Activate", M, Void, "", {}, WORD_PAGE("word.document.activate")},
        {"Word.Documents", "Count", R, Long, "", {}, WORD_PAGE("word.documents.count")},
        {"Word.Documents", "Item", M, Object, "Word.Document", {{"Index", Variant, false}}, WORD_PAGE("word.documents.item")},
        {"Word.Window", "EnvelopeVisible", P, Boolean, "", {}, WORD_PAGE("word.window.envelopevisible")},
        {"Word.Selection", "Range", R, Object, "Word.Range", {}, WORD_PAGE("word.selection.range")},
        {"Word.Selection", "Style", P, Variant, "", {}, WORD_PAGE("word.selection.style")},
        {"Word.Range", "Text", P, String, "", {}, WORD_PAGE("word.range.text")},
        {"Word.Range", "Start", P, Long, "", {}, WORD_PAGE("word.range.start")},
        {"Word.Range", "End", P, Long, "", {}, WORD_PAGE("word.range.end")},
        {"Word.Range", "Find", R, Object, "Word.Find", {}, WORD_PAGE("word.range.find")},
        {"Word.Range", "Font", P, Object, "Word.Font", {}, WORD_PAGE("word.range.font")},
        {"Word.Find", "ClearFormatting", M, Void, "", {}, WORD_PAGE("word.find.clearformatting")},
        {"Word.Find", "ClearAllFuzzyOptions", M, Void, "", {}, WORD_PAGE("word.find.clearallfuzzyoptions")},
        {"Word.Find", "Forward", P, Boolean, "", {}, WORD_PAGE("word.find.forward")},
        {"Word.Find", "Wrap", P, Long, "", {}, WORD_PAGE("word.find.wrap")},
        {"Word.Find", "Text", P, String, "", {}, WORD_PAGE("word.find.text")},
        {"Word.Find", "Style", P, Variant, "", {}, WORD_PAGE("word.find.style")},
        {"Word.Find", "Format", P, Boolean, "", {}, WORD_PAGE("word.find.format")},
        {"Word.Find", "Execute", M, Boolean, "", findExecuteArguments(), WORD_PAGE("word.find.execute")},
        {"Word.Styles", "Item", M, Object, "Word.Style", {{"Index", Variant, false}}, WORD_PAGE("word.styles.item")},
        {"Word.Styles", "Add", M, Object, "Word.Style", {{"Name", String, false}, {"Type", Variant, true}},
         WORD_PAGE("word.styles.add")},
        {"Word.Style", "NameLocal", P, String, "", {}, WORD_PAGE("word.style.namelocal")},
        {"Word.Style", "Type", R, Long, "", {}, WORD_PAGE("word.style.type")},
        {"Word.Style", "Font", P, Object, "Word.Font", {}, WORD_PAGE("word.style.font")},
        {"Word.Style", "Delete", M, Void, "", {}, WORD_PAGE("word.style.delete")},
        {"Word.Fields", "Count", R, Long, "", {}, WORD_PAGE("word.fields.count")},
        {"Word.Fields", "Item", M, Object, "Word.Field", {{"Index", Long, false}}, WORD_PAGE("word.fields.item")},
        // 0 when every field was updated, otherwise the index of the first field in error.
        {"Word.Fields", "Update", M, Long, "", {}, WORD_PAGE("word.fields.update")},
        {"Word.Field", "Type", R, Long, "", {}, WORD_PAGE("word.field.type")},
        {"Word.MailMerge", "DataSource", R, Object, "Word.MailMergeDataSource", {}, WORD_PAGE("word.mailmerge.datasource")},
        {"Word.MailMerge", "Destination", P, Long, "", {}, WORD_PAGE("word.mailmerge.destination")},
        {"Word.MailMerge", "Execute", M, Void, "", {{"Pause", Variant, true}}, WORD_PAGE("word.mailmerge.execute")},
        {"Word.MailMergeDataSource", "Name", R, String, "", {}, WORD_PAGE("word.mailmergedatasource.name")},
        {"Word.MailMergeDataSource", "FieldNames", R, Object, "Word.MailMergeFieldNames", {},
         WORD_PAGE("word.mailmergedatasource.fieldnames")},
        {"Word.MailMergeDataSource", "DataFields", R, Object, "Word.MailMergeDataFields", {},
         WORD_PAGE("word.mailmergedatasource.datafields")},
        {"Word.MailMergeDataSource", "ActiveRecord", P, Long, "", {}, WORD_PAGE("word.mailmergedatasource.activerecord")},
        {"Word.MailMergeDataSource", "FirstRecord", P, Long, "", {}, WORD_PAGE("word.mailmergedatasource.firstrecord")},
        {"Word.MailMergeDataSource", "LastRecord", P, Long, "", {}, WORD_PAGE("word.mailmergedatasource.lastrecord")},
        {"Word.MailMergeFieldNames", "Count", R, Long, "", {}, WORD_PAGE("word.mailmergefieldnames.count")},
        {"Word.MailMergeFieldNames", "Item", M, Object, "Word.MailMergeFieldName", {{"Index", Variant, false}},
         WORD_PAGE("word.mailmergefieldnames.item")},
        {"Word.MailMergeFieldName", "Name", R, String, "", {}, WORD_PAGE("word.mailmergefieldname.name")},
        {"Word.MailMergeDataFields", "Item", M, Object, "Word.MailMergeDataField", {{"Index", Variant, false}},
         WORD_PAGE("word.mailmergedatafields.item")},
        {"Word.MailMergeDataField", "Value", R, String, "", {}, WORD_PAGE("word.mailmergedatafield.value")},
        // An add-in is found by its Name, which for a template is its file name with the extension.
        {"Word.AddIns", "Item", M, Object, "Word.AddIn", {{"Index", Variant, false}}, WORD_PAGE("word.addins.item")},
        {"Word.AddIns", "Add", M, Object, "Word.AddIn", {{"FileName", String, false}, {"Install", Variant, true}},
         WORD_PAGE("word.addins.add")},
        {"Word.AddIn", "Installed", P, Boolean, "", {}, WORD_PAGE("word.addin.installed")},
        {"Word.AddIn", "Name", R, String, "", {}, WORD_PAGE("word.addin.name")},
        {"Office.CommandBars", "Item", M, Object, "Office.CommandBar", {{"Index", Variant, false}},
         WORD_PAGE("office.commandbars.item")},
        {"Office.CommandBar", "FindControl", M, Object, "Office.CommandBarControl",
         {{"Type", Variant, true}, {"Id", Variant, true}, {"Tag", Variant, true}, {"Visible", Variant, true},
          {"Recursive", Variant, true}},
         WORD_PAGE("office.commandbar.findcontrol")},
        {"Office.CommandBar", "Reset", M, Void, "", {}, WORD_PAGE("office.commandbar.reset")},
        {"Office.CommandBar", "Visible", P, Boolean, "", {}, WORD_PAGE("office.commandbar.visible")},
        {"Office.CommandBarControl", "Tag", P, String, "", {}, WORD_PAGE("office.commandbarcontrol.tag")},
        {"Office.CommandBarControl", "Type", R, Long, "", {}, WORD_PAGE("office.commandbarcontrol.type")},
        {"Office.CommandBarControl", "Delete", M, Void, "", {{"Temporary", Variant, true}},
         WORD_PAGE("office.commandbarcontrol.delete")},
        {"Office.CommandBarPopup", "Controls", R, Object, "Office.CommandBarControls", {},
         WORD_PAGE("office.commandbarpopup.controls")},
        {"Office.CommandBarControls", "Count", R, Long, "", {}, WORD_PAGE("office.commandbarcontrols.count")},
        {"Office.CommandBarControls", "Item", M, Object, "Office.CommandBarControl", {{"Index", Variant, false}},
         WORD_PAGE("office.commandbarcontrols.item")},

        // --- The Windows fax service of Windows 2000 ----------------------------------------------
        {"FaxServer.FaxServer", "Connect", M, Void, "", {{"ServerName", String, false}}, FAX_PAGE("-mfax-ifaxserver-connect-vb")},
        {"FaxServer.FaxServer", "GetPorts", M, Object, "FaxServer.FaxPorts", {}, FAX_PAGE("-mfax-ifaxserver-getports-vb")},
        {"FaxServer.FaxServer", "CreateDocument", M, Object, "FaxServer.FaxDoc", {{"FileName", String, false}},
         FAX_PAGE("-mfax-ifaxserver-createdocument-vb")},
        {"FaxServer.FaxPorts", "Count", R, Long, "", {}, FAX_PAGE("-mfax-ifaxports-get-count-vb")},
        // Following a job: the service's list of the jobs in its queue, each job's queue status in words.
        {"FaxServer.FaxServer", "GetJobs", M, Object, "FaxServer.FaxJobs", {}, FAX_PAGE("-mfax-ifaxserver-getjobs-vb")},
        {"FaxServer.FaxJobs", "Count", R, Long, "", {}, FAX_PAGE("-mfax-faxjobs-object-visual-basic-")},
        {"FaxServer.FaxJobs", "Item", R, Object, "FaxServer.FaxJob", {{"Index", Long, false}},
         FAX_PAGE("-mfax-faxjobs-object-visual-basic-")},
        {"FaxServer.FaxJob", "JobId", R, Long, "", {}, FAX_PAGE("-mfax-ifaxjob-get-jobid-vb")},
        {"FaxServer.FaxJob", "QueueStatus", R, String, "", {}, FAX_PAGE("-mfax-ifaxjob-get-queuestatus-vb")},
        {"FaxServer.FaxJob", "PageCount", R, Long, "", {}, FAX_PAGE("-mfax-ifaxjob-get-pagecount-vb")},
        // Cancelling a job (Command JC_DELETE, 1), queued or being sent. The Visual Basic page writes
        // "As Long" for what is the interface's HRESULT: the method answers nothing.
        {"FaxServer.FaxJob", "SetStatus", M, Void, "", {{"Command", Long, false}}, FAX_PAGE("-mfax-ifaxjob-setstatus-vb")},
        // The number of the queued job.
        {"FaxServer.FaxDoc", "Send", M, Long, "", {}, FAX_PAGE("-mfax-ifaxdoc-send-vb")},
        {"FaxServer.FaxDoc", "DiscountSend", P, Boolean, "", {}, FAX_PAGE("-mfax-ifaxdoc-get-discountsend-vb")},
        {"FaxServer.FaxDoc", "SendCoverpage", P, Boolean, "", {}, FAX_PAGE("-mfax-ifaxdoc-get-sendcoverpage-vb")},
        {"FaxServer.FaxDoc", "ServerCoverpage", P, Boolean, "", {}, FAX_PAGE("-mfax-ifaxdoc-get-servercoverpage-vb")},

        // --- The extended fax service ------------------------------------------------------------
        {"FAXCOMEX.FaxServer", "Connect", M, Void, "", {{"bstrServerName", String, false}}, FAX_PAGE("-mfax-faxserver-connect-vb")},
        {"FAXCOMEX.FaxServer", "GetDevices", M, Object, "FAXCOMEX.FaxDevices", {}, FAX_PAGE("-mfax-faxserver-getdevices-vb")},
        {"FAXCOMEX.FaxDevices", "Count", R, Long, "", {}, FAX_PAGE("-mfax-faxdevices-count-vb")},
        {"FAXCOMEX.FaxDocument", "Body", P, String, "", {}, FAX_PAGE("-mfax-faxdocument-body-vb")},
        {"FAXCOMEX.FaxDocument", "Priority", P, Long, "", {}, FAX_PAGE("-mfax-faxdocument-priority-vb")},
        {"FAXCOMEX.FaxDocument", "Recipients", R, Object, "FAXCOMEX.FaxRecipients", {}, FAX_PAGE("-mfax-faxdocument-recipients-vb")},
        {"FAXCOMEX.FaxDocument", "ReceiptType", P, Long, "", {}, FAX_PAGE("-mfax-faxdocument-receipttype-vb")},
        {"FAXCOMEX.FaxDocument", "ReceiptAddress", P, String, "", {}, FAX_PAGE("-mfax-faxdocument-receiptaddress-vb")},
        {"FAXCOMEX.FaxDocument", "CoverPageType", P, Long, "", {}, FAX_PAGE("-mfax-faxdocument-coverpagetype-vb")},
        // A server cover page by its file name on the server, a personal one by its path.
        {"FAXCOMEX.FaxDocument", "CoverPage", P, String, "", {}, FAX_PAGE("-mfax-faxdocument-coverpage-vb")},
        {"FAXCOMEX.FaxDocument", "Note", P, String, "", {}, FAX_PAGE("-mfax-faxdocument-note-vb")},
        {"FAXCOMEX.FaxDocument", "ScheduleType", P, Long, "", {}, FAX_PAGE("-mfax-faxdocument-scheduletype-vb")},
        {"FAXCOMEX.FaxDocument", "ScheduleTime", P, Date, "", {}, FAX_PAGE("-mfax-faxdocument-scheduletime-vb")},
        {"FAXCOMEX.FaxDocument", "Subject", P, String, "", {}, FAX_PAGE("-mfax-faxdocument-subject-vb")},
        // One job identifier per recipient.
        {"FAXCOMEX.FaxDocument", "ConnectedSubmit", M, StringArray, "", {{"pFaxServer", Object, false}},
         FAX_PAGE("-mfax-faxdocument-connectedsubmit")},
        {"FAXCOMEX.FaxRecipients", "Add", M, Object, "FAXCOMEX.FaxRecipient",
         {{"bstrFaxNumber", String, false}, {"bstrRecipientName", String, true}}, FAX_PAGE("-mfax-faxrecipients-add-vb")},
        {"FAXCOMEX.FaxRecipients", "Count", R, Long, "", {}, FAX_PAGE("-mfax-faxrecipients-count-vb")},
        // Following a job: the outgoing queue while the job is in it, the archive once it was sent.
        // The job's status and extended status code are enumerations (FAX_JOB_STATUS_ENUM,
        // FAX_JOB_EXTENDED_STATUS_ENUM), which travel as Longs.
        // The server's events for the outgoing queue and archive, raised on _IFaxServerNotify2; the
        // kinds wanted are FAX_SERVER_EVENTS_TYPE_ENUM bits, which travel as a Long (0: none).
        {"FAXCOMEX.FaxServer", "ListenToServerEvents", M, Void, "", {{"eEventTypes", Long, false}},
         FAX_PAGE("-mfax-faxserver-listentoserverevents-vb")},
        {"FAXCOMEX.FaxServer", "Folders", R, Object, "FAXCOMEX.FaxFolders", {}, FAX_PAGE("-mfax-faxserver-folders-vb")},
        {"FAXCOMEX.FaxFolders", "OutgoingQueue", R, Object, "FAXCOMEX.FaxOutgoingQueue", {},
         FAX_PAGE("-mfax-faxfolders-outgoingqueue-vb")},
        {"FAXCOMEX.FaxFolders", "OutgoingArchive", R, Object, "FAXCOMEX.FaxOutgoingArchive", {},
         FAX_PAGE("-mfax-faxfolders-outgoingarchive-vb")},
        {"FAXCOMEX.FaxOutgoingQueue", "GetJob", M, Object, "FAXCOMEX.FaxOutgoingJob", {{"bstrJobId", String, false}},
         FAX_PAGE("-mfax-faxoutgoingqueue-getjob")},
        {"FAXCOMEX.FaxOutgoingJob", "Status", R, Long, "", {}, FAX_PAGE("-mfax-faxoutgoingjob-status-vb")},
        {"FAXCOMEX.FaxOutgoingJob", "ExtendedStatusCode", R, Long, "", {},
         FAX_PAGE("-mfax-faxoutgoingjob-extendedstatuscode-vb")},
        {"FAXCOMEX.FaxOutgoingJob", "ExtendedStatus", R, String, "", {}, FAX_PAGE("-mfax-faxoutgoingjob-extendedstatus-vb")},
        {"FAXCOMEX.FaxOutgoingJob", "CurrentPage", R, Long, "", {}, FAX_PAGE("-mfax-faxoutgoingjob-currentpage-vb")},
        {"FAXCOMEX.FaxOutgoingJob", "Pages", R, Long, "", {}, FAX_PAGE("-mfax-faxoutgoingjob-pages-vb")},
        {"FAXCOMEX.FaxOutgoingJob", "Retries", R, Long, "", {}, FAX_PAGE("-mfax-faxoutgoingjob-retries-vb")},
        {"FAXCOMEX.FaxOutgoingJob", "Cancel", M, Void, "", {}, FAX_PAGE("-mfax-faxoutgoingjob-cancel-vb")},
        {"FAXCOMEX.FaxOutgoingArchive", "GetMessage", M, Object, "FAXCOMEX.FaxOutgoingMessage",
         {{"bstrMessageId", String, false}}, FAX_PAGE("-mfax-faxoutgoingarchive-getmessage-vb")},
        {"FAXCOMEX.FaxOutgoingMessage", "Pages", R, Long, "", {}, FAX_PAGE("-mfax-faxoutgoingmessage-pages-vb")},
        {"FAXCOMEX.FaxOutgoingMessage", "Retries", R, Long, "", {}, FAX_PAGE("-mfax-faxoutgoingmessage-retries-vb")},

        // --- WinFax ---------------------------------------------------------------------------
        {"WinFax.SDKSend", "SetClientID", M, Integer, "", {{"ClientID", String, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "SetOffPeak", M, Integer, "", {{"OffPeak", Integer, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "SetDate", M, Integer, "", {{"Date", String, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "SetTime", M, Integer, "", {{"Time", String, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "SetNumber", M, Integer, "", {{"Number", String, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "SetSubject", M, Integer, "", {{"Subject", String, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "SetCompany", M, Integer, "", {{"Company", String, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "SetTo", M, Integer, "", {{"To", String, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "AddAttachmentFile", M, Integer, "", {{"FileName", String, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "AddRecipient", M, Integer, "", {}, WINFAX_PAGE},
        {"WinFax.SDKSend", "SetPrintFromApp", M, Integer, "", {{"PrintFromApp", Integer, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "ShowSendScreen", M, Integer, "", {{"Show", Integer, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "Send", M, Integer, "", {{"ShowMessages", Integer, false}}, WINFAX_PAGE},
        {"WinFax.SDKSend", "IsReadyToPrint", M, Integer, "", {}, WINFAX_PAGE},
        {"WinFax.SDKSend", "IsEntryIDReady", M, Integer, "", {{"Index", Integer, false}}, WINFAX_PAGE},
    };
    addFontAttributes(t);
    // The legacy fax document's text properties, each a String.
    for (const char* name :
         {"FaxNumber", "RecipientAddress", "RecipientCity", "RecipientCompany", "RecipientCountry", "RecipientDepartment",
          "RecipientHomePhone", "RecipientName", "RecipientOffice", "RecipientOfficePhone", "RecipientState",
          "RecipientTitle", "RecipientZip", "SenderAddress", "SenderCompany", "SenderDepartment", "SenderFax",
          "SenderHomePhone", "SenderName", "SenderOffice", "SenderOfficePhone", "SenderTitle", "CoverpageName",
          "CoverpageSubject", "CoverpageNote"})
        t.push_back({"FaxServer.FaxDoc", name, P, String, "", {}, FAX_PAGE("-mfax-faxdoc-object-visual-basic-")});
    // WinFax's two programmatic identifiers serve the same object.
    const std::size_t count = t.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (t[i].object != "WinFax.SDKSend") continue;
        Member copy = t[i];
        copy.object = "WinFax.SDKSend8.0";
        t.push_back(copy);
    }
    return t;
}

bool isNumber(const Variant& v) {
    return v.is<std::int16_t>() || v.is<std::int32_t>() || v.is<double>() || v.is<bool>();
}

}  // namespace

std::span<const Member> members() {
    static const std::vector<Member> table = makeTable();
    return table;
}

const Member* find(std::string_view object, std::string_view member) {
    for (const Member& m : members()) {
        if (equalsIgnoringCase(m.object, object) && equalsIgnoringCase(m.name, member)) return &m;
    }
    return nullptr;
}

std::vector<const Member*> membersOf(std::string_view object) {
    std::vector<const Member*> out;
    for (const Member& m : members()) {
        if (equalsIgnoringCase(m.object, object)) out.push_back(&m);
    }
    return out;
}

bool holds(Type type, const Variant& value) {
    switch (type) {
    case Type::Void: return value.isEmpty();
    case Type::Boolean: return value.is<bool>();
    case Type::Integer: return value.is<std::int16_t>();
    case Type::Long: return value.is<std::int32_t>();
    case Type::Single: return value.is<double>();
    case Type::Date: return value.is<DateValue>();
    case Type::String: return value.is<std::string>();
    case Type::Object: return value.is<Variant::Object>();
    case Type::Variant: return true;
    case Type::StringArray: {
        if (!value.is<Variant::Array>()) return false;
        for (const auto& e : value.elements()) {
            if (!e.is<std::string>()) return false;
        }
        return true;
    }
    }
    return false;
}

std::optional<telvora::Variant> coerce(Type type, const telvora::Variant& value,
                                       const std::function<std::optional<double>(std::string_view)>& readDate) {
    using V = telvora::Variant;
    if (holds(type, value)) return value;
    if (value.isNull() || value.is<Opaque>() || value.is<V::Array>()) return std::nullopt;
    if (type != Type::Object && value.is<V::Object>()) return std::nullopt;
    try {
        switch (type) {
        case Type::Void: return std::nullopt;
        case Type::Boolean: return V(value.toBool());
        case Type::Integer: return V(value.toInt16());
        case Type::Long: return V(value.toInt32());
        case Type::Single: return V(value.toDouble());
        case Type::String: return V(value.toString());
        case Type::Date: {
            if (isNumber(value)) return V(DateValue{value.toDouble(), {}});
            if (!value.is<std::string>() || !readDate) return std::nullopt;
            const auto serial = readDate(value.get<std::string>());
            if (!serial) return std::nullopt;
            return V(DateValue{*serial, {}});
        }
        case Type::Object: return value.isEmpty() ? std::optional<V>(V(V::Object())) : std::nullopt;
        case Type::Variant: return value;
        case Type::StringArray: return std::nullopt;
        }
    } catch (const RuntimeError&) {
        // a value the conversion refuses (13) or cannot hold (6): the program refuses it as well
    }
    return std::nullopt;
}

std::string violation(const Member& member, const telvora::Variant& answer) {
    static constexpr const char* names[] = {"nothing", "a Boolean", "an Integer", "a Long", "a Single", "a Date",
                                            "a String", "an object", "a Variant", "an array of strings"};
    std::string kind = "a value of another type";
    const auto& v = answer.value();
    switch (v.index()) {
    case 0: kind = "Empty"; break;
    case 1: kind = "Null"; break;
    case 2: kind = "a Boolean"; break;
    case 3: kind = "an Integer"; break;
    case 4: kind = "a Long"; break;
    case 5: kind = "a Double"; break;
    case 6: kind = "a String"; break;
    case 7: kind = "a Date"; break;
    case 8: kind = "an object"; break;
    case 9: kind = "an array"; break;
    default: break;
    }
    return std::string(member.object) + "." + std::string(member.name) + " answered " + kind + " where " +
           std::string(member.page) + " documents " + names[static_cast<int>(member.type)];
}

telvora::Variant checkedAnswer(const Member& member, telvora::Variant answer, std::vector<std::string>& violations) {
    if (holds(member.type, answer)) return answer;
    violations.push_back(violation(member, answer));
    throw std::logic_error(violations.back());
}

}  // namespace telvora::documented
