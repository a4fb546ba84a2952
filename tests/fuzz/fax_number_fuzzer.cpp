// libFuzzer: the fax number cleaning and acceptance on untrusted text: cleaning takes out exactly
// the characters it names and nothing more, cleaning twice changes nothing, and an accepted
// number is digits with separators standing between digits.
#include <algorithm>

#include "core/validation.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string clean = telvora::CleanFaxNumber(text);
    const auto removed = [](char c) { return static_cast<unsigned char>(c) < 32 || std::string_view("-+() ").find(c) != std::string_view::npos; };
    if (std::any_of(clean.begin(), clean.end(), removed)) telvora::fuzz::broken("the clean number holds what cleaning removes");
    if (clean.size() != static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [&](char c) { return !removed(c); })))
        telvora::fuzz::broken("cleaning removed more than it names");
    if (telvora::CleanFaxNumber(clean) != clean) telvora::fuzz::broken("cleaning twice changed the number");
    const bool accepted = telvora::IsAcceptableFaxNumber(text);
    if (accepted != telvora::IsDialableNumber(clean)) telvora::fuzz::broken("acceptance is not dialability of the clean number");
    if (accepted) {
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (!digit(clean.front()) || !digit(clean.back()) || std::count(clean.begin(), clean.end(), '.') > 1 ||
            clean.find_first_not_of("0123456789,.") != std::string::npos)
            telvora::fuzz::broken("accepted a number that is not digits with separators between them");
    }
    if (telvora::StripReturns(text).find('\r') != std::string::npos) telvora::fuzz::broken("a return survived");
    (void)telvora::IsValidEmailAddress(text);
    return 0;
}
