#include "Errors.h"

#include <cstdio>

namespace keystrand {

std::string apiErrorText(std::int32_t number) {
    switch (number) {
    case code::FileNotFound: return "The system cannot find the file specified.";
    case code::InvalidHandle: return "The handle is invalid.";
    case code::NotEnoughMemory: return "Not enough memory resources are available to process this command.";
    case code::NotSupported: return "The request is not supported.";
    case code::InvalidParameter: return "The parameter is incorrect.";
    case code::NotImplemented: return "This function is not supported on this system.";
    case code::MoreData: return "More data is available.";
    case code::NoMoreItems: return "No more data is available.";
    case code::BadUid: return "Bad UID.";
    case code::BadHash: return "Bad Hash.";
    case code::BadKey: return "Bad Key.";
    case code::BadLength: return "Bad Length.";
    case code::BadData: return "Bad Data.";
    case code::BadSignature: return "Invalid Signature.";
    case code::BadVersion: return "Bad Version of provider.";
    case code::BadAlgorithm: return "Invalid algorithm specified.";
    case code::BadFlags: return "Invalid flags specified.";
    case code::BadType: return "Invalid type specified.";
    case code::BadKeyState: return "Key not valid for use in specified state.";
    case code::BadHashState: return "Hash not valid for use in specified state.";
    case code::NoKey: return "Key does not exist.";
    case code::NoMemory: return "Insufficient memory available for the operation.";
    case code::Exists: return "Object already exists.";
    case code::Permission: return "Access denied.";
    case code::NotFound: return "Object was not found.";
    case code::BadProvider: return "Invalid provider specified.";
    case code::BadProviderType: return "Invalid provider type specified.";
    case code::BadPublicKey: return "Provider's public key is invalid.";
    case code::BadKeyset: return "Keyset does not exist";
    case code::ProviderTypeNotDefined: return "Provider type not defined.";
    case code::KeysetNotDefined: return "The keyset is not defined.";
    case code::BadKeysetParameter: return "The keyset parameter is invalid.";
    case code::InternalFailure: return "An internal error occurred.";
    default: break;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "Unknown error &H%X", static_cast<unsigned>(number));
    return buf;
}

}  // namespace keystrand
