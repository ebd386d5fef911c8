#pragma once
// Trading partners and their transaction sets: finding and registering them as interchanges
// arrive, the transaction set control number, acknowledgement expectations and the plug-in
// class of a set. Every routine reports its own errors and returns its failure value
// (false or an empty text).

#include "core/Services.h"

#include <string>
#include <string_view>

namespace vt::core {

// Marks the partner's Sent rows of the group that a received 997 acknowledges (AK102) "Yes",
// leaving "Void" rows alone, and refreshes the Sent list.
bool MarkSentAcknowledged(const Services& s, std::string_view partner, std::string_view ackText,
                          std::string_view segmentTerminator, std::string_view elementSeparator);

// True when the set's Transactions row asks for a 997. A missing row is reported.
bool IsAcknowledgementExpected(const Services& s, std::string_view partner, std::string_view transaction,
                               std::string_view version, std::string_view direction);

// Registers the partner of a received ("I") or loaded outbound ("O") interchange from its ISA
// and GS segments (without terminators) and returns the new partner's name.
std::string AddPartnerFromEnvelope(const Services& s, std::string_view isaText, std::string_view gsText,
                                   std::string_view segmentTerminator, std::string_view elementSeparator,
                                   std::string_view subElementSeparator, std::string_view direction);

// The partner whose row holds these interchange ids (blanks included), or an empty text.
std::string FindPartnerByIds(const Services& s, std::string_view partnerId, std::string_view ownId);

// Stores the control number in the set's Transactions row; false when there is no row. For an
// outbound set ("O") the row keeps the number to use next: the larger of the stored one and
// controlNumber + 1, so loading our own interchange never hands out a number again.
bool SaveTransactionControlNumber(const Services& s, std::string_view partner, std::string_view transaction,
                                  std::string_view group, std::string_view version, std::string_view direction,
                                  std::string_view controlNumber);

// The stored control number as decimal text (the one to use now); stores the next one.
std::string NextTransactionControlNumber(const Services& s, std::string_view partner, std::string_view transaction,
                                         std::string_view version, std::string_view direction);

// The set's plug-in class name, or an empty text; when empty and showMessage, tells the user
// which plug-in file is expected.
std::string GetTransactionActiveX(const Services& s, std::string_view partner, std::string_view transaction,
                                  std::string_view version, std::string_view direction, bool showMessage);

// Registers a transaction set for the partner with a starter map (one "XX" segment, one element).
bool AddPartnerTransaction(const Services& s, std::string_view partner, std::string_view transaction,
                           std::string_view group, std::string_view version, std::string_view direction);

}  // namespace vt::core
