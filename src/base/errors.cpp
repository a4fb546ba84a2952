// Run-time error texts and conversion of foreign exceptions into run-time errors.
#include "base/errors.h"

#include <new>

namespace telvora {

RuntimeError::RuntimeError(std::int32_t number, std::string description, std::string source)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {}

RuntimeError RuntimeError::standard(std::int32_t number, std::string source) {
    return RuntimeError(number, standardErrorText(number), std::move(source));
}

RuntimeError RuntimeError::objectNotSet(std::string source) {
    return standard(err::ObjectNotSet, std::move(source));
}

RuntimeError RuntimeError::notAvailableYet(std::string_view what, std::string source) {
    return RuntimeError(err::ActionNotSupported,
                        std::string(what) + " is not available yet in this release of " + kAppTitle + ".",
                        std::move(source));
}

std::string standardErrorText(std::int32_t number) {
    switch (number) {
    case err::InvalidProcedureCall: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::OutOfMemory: return "Out of memory";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::ArrayLocked: return "This array is fixed or temporarily locked";
    case err::DivisionByZero: return "Division by zero";
    case err::TypeMismatch: return "Type mismatch";
    case err::InternalError: return "Internal error";
    case err::FileNotFound: return "File not found";
    case err::PathFileAccess: return "Path/File access error";
    case err::ObjectNotSet: return "Object variable or With block variable not set";
    case err::TextReadOnly: return "'Text' property is read-only";
    case err::FormAlreadyShown: return "Form already displayed; can't show modally";
    case err::CannotCreateObject: return "ActiveX component can't create object";
    case err::NoAutomationInterface: return "Class doesn't support Automation or does not support expected interface";
    case err::InvalidUseOfNull: return "Invalid use of Null";
    case err::MemberNotFound: return "Object doesn't support this property or method";
    case err::ActionNotSupported: return "Object doesn't support this action";
    case err::NamedArgumentsNotSupported: return "Object doesn't support named arguments";
    case err::NamedArgumentNotFound: return "Named argument not found";
    case err::ArgumentNotOptional: return "Argument not optional";
    case err::WrongArgumentCount: return "Wrong number of arguments or invalid property assignment";
    case err::NotACollection:
        return "Property let procedure not defined and property get procedure did not return an object";
    case err::UnsupportedAutomationType: return "Variable uses an Automation type not supported in Visual Basic";
    case err::CollectionMemberMissing: return "The requested member of the collection does not exist.";
    default: return "Application-defined or object-defined error";
    }
}

std::string ignoredErrorLine(const RuntimeError& error, const CodePlace& where) {
    std::string file = where.file;
    // The path from the source folder on: the same on every build machine.
    for (const char* root : {"/src/", "/tests/"}) {
        if (const auto at = file.rfind(root); at != std::string::npos) {
            file.erase(0, at + std::string_view(root).size());
            break;
        }
    }
    return "ignored error " + std::to_string(error.number()) + " (" + error.source() + ": " + error.description() +
           ") in " + file + ":" + std::to_string(where.line);
}

RuntimeError currentAsRuntimeError() noexcept {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RuntimeError::standard(err::OutOfMemory);
    } catch (const std::exception& e) {
        return RuntimeError(err::InternalError, std::string("Internal error: ") + e.what());
    } catch (...) {
        return RuntimeError::standard(err::InternalError);
    }
}

}  // namespace telvora
