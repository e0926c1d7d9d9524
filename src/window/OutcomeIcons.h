#pragma once

#include "window/list/FileListModel.h"

#include <QIcon>

namespace orvandel {

// The list's small pictures of how a run ended for an item, drawn here: a green tick for a
// photo written, a grey ring for a file without one, a red cross for a failure. The same icon
// object comes back for the same kind.
const QIcon& OutcomeIcon(ItemOutcome::Kind kind);

} // namespace orvandel
