#pragma once

// Command and control ids, named once. Actions carry their command id.
namespace Ids {
} // namespace Ids
