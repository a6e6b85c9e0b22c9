#pragma once

#include "DigestPicker.h"

class QuickSearchIndex;

namespace DataKit {
class Database;
}

// A text a voucher carried, stored as a new summary under the window's rules (text required, no
// forbidden or control character, lengths, an account of the chart by code or name, the mnemonic
// computed from the text) and the next free code: one more than the highest code of digits only
// that summaries knows, kept at its width, and further on while another user's summary holds it.
// Throws DataKit::Error with the window's words for a refusal.
DigestMatch StoreNewSummary(DataKit::Database &database, QuickSearchIndex &summaries,
                            const QString &text, const QString &account);
