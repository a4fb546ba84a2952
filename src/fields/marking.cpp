// Field marks: the four marking commands and the style operations behind them.
#include "fields/marking.h"

#include <array>

#include "base/errors.h"
#include "app/reports.h"

namespace telvora {
namespace {

// Prepares a find for the first run carrying a style, from the range's start, forward, without
// wrapping. Raises when the document has no such style.
void findStyle(word::Find& find, const std::string& styleName) {
    find.ClearFormatting();
    find.ClearAllFuzzyOptions();
    find.setForward(true);
    find.setWrap(word::wdFindStop);
    find.setText("");
    find.setStyle(styleName);
}

}  // namespace

const char* FieldStyleName(FaxField field) noexcept {
    switch (field) {
    case FaxField::Number: return "tlvFaxNumber";
    case FaxField::Name: return "tlvRecipientName";
    case FaxField::Company: return "tlvCompanyName";
    case FaxField::Subject: return "tlvSubject";
    }
    return "";
}

const char* NothingSelectedMessage(FaxField field) noexcept {
    switch (field) {
    case FaxField::Number:
        return "Please select the text for fax number before clicking 'Fax Number' on the toolbar.";
    case FaxField::Name:
        return "Please select the text for recipient name before clicking 'Recipient Name' on the toolbar.";
    case FaxField::Company:
        return "Please select the text for recipient company before clicking 'Recipient Company' on the toolbar.";
    case FaxField::Subject:
        return "Please select the text for subject before clicking 'Subject' on the toolbar.";
    }
    return "";
}

void MarkFieldCommand(Addin& addin, FaxField field) {
    trapAndReport(
        [&] {
            const std::string selected = addin.word().selection()->range()->text();
            if (!selected.empty()) {
                MarkField(addin, FieldStyleName(field));
            } else {
                ShowMessage(addin, NothingSelectedMessage(field), MsgIcon::Exclamation);
            }
        },
        [&](const RuntimeError& e) { ReportCommandError(addin, e); });
}

void MarkField(Addin& addin, const std::string& styleName) {
    if (FieldStyleExists(addin, styleName)) ClearFieldMark(addin, styleName);
    word::Application& word = addin.word();
    // A paragraph style of the field's name (a user may have made one) would mark every paragraph
    // the selection touches, and the field would read text the user never selected. Once clearing
    // has found it marking nothing, it goes, and the field's own character style takes its place.
    if (FieldStyleExists(addin, styleName) &&
        word.activeDocument()->styles()->item(styleName)->type() != word::wdCharacterStyle)
        DeleteFieldStyle(addin, styleName);
    if (!FieldStyleExists(addin, styleName)) CreateFieldStyle(addin, styleName);
    word.selection()->setStyle(word.activeDocument()->styles()->item(styleName));
}

std::string FindFieldText(Addin& addin, const std::shared_ptr<word::Range>& range, const std::string& styleName) {
    std::string text;
    if (!range) return text;  // no range marks nothing
    ignoreErrors(addin.diagnostics(), [&] {
        auto find = range->find();
        findStyle(*find, styleName);
        if (find->Execute(true)) text = range->text();
    });
    return text;
}

std::string ReadField(Addin& addin, FaxField field) {
    return FindFieldText(addin, addin.word().activeDocument()->content(), FieldStyleName(field));
}

bool FieldStyleExists(Addin& addin, const std::string& styleName) {
    return succeeded(addin.diagnostics(), [&] { addin.word().activeDocument()->styles()->item(styleName); });
}

void CreateFieldStyle(Addin& addin, const std::string& styleName) {
    ignoreErrors(addin.diagnostics(), [&] { addin.word().activeDocument()->styles()->add(styleName, word::wdCharacterStyle); });
}

void DeleteFieldStyle(Addin& addin, const std::string& styleName) {
    ignoreErrors(addin.diagnostics(), [&] { addin.word().activeDocument()->styles()->item(styleName)->Delete(); });
}

void ClearFieldMark(Addin& addin, const std::string& styleName) {
    const auto range = addin.word().activeDocument()->content();
    const auto find = range->find();
    findStyle(*find, styleName);
    if (!find->Execute(true)) return;  // the style marks nothing: it stays, to be applied again

    const auto font = range->font();
    std::array<word::FontValue, word::kFontAttributeCount> look;
    for (int i = 0; i < word::kFontAttributeCount; ++i) look[i] = font->get(static_cast<word::FontAttribute>(i));

    DeleteFieldStyle(addin, styleName);

    // The look goes back attribute by attribute. One that differed across the marked text reads as
    // undefined: the text still carries its own values, and writing "undefined" would flatten or
    // fail, so it is left alone.
    const auto restored = range->font();
    for (int i = 0; i < word::kFontAttributeCount; ++i) {
        if (!word::isUndefined(look[i])) restored->set(static_cast<word::FontAttribute>(i), look[i]);
    }
}

}  // namespace telvora
