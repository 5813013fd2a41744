#pragma once

namespace Allocator {

// Serves large blocks (128 KiB and up) from their own memory mappings, so
// that growing one, like the text of a long chat log, remaps pages instead of
// copying megabytes. glibc otherwise raises this limit as large blocks are
// freed and ends up copying such buffers on every growth. Call once, first
// thing in main().
void preferMappedLargeBlocks();

} // namespace Allocator
