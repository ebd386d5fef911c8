#pragma once
// The signing certificates of a network: its store (location and name) and the detached CMS
// signature that SendAS2 makes of the Outbox interchange.

#include "platform/certstore/CertStore.h"

#include <string>
#include <string_view>

namespace vt::exchange {

// The store location of an entry text of the location list; 0 for any other text.
int StoreLocationCode(std::string_view text);

// A detached CMS signature (binary content, signing time, the signer's certificate) of
// `content`, Base64 without line breaks. A signing failure is a RunError with a negative
// number; a certificate without its private key is refused with a positive one.
std::string SignDetached(const certstore::Certificate& certificate, std::string_view content);

}  // namespace vt::exchange
