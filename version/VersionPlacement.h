// Where a rebuilt version block goes in its file, worked out from the file's bytes alone: the
// place that disturbs least, and every byte that changes for it.
#pragma once

#include "version/VersionStore.h"

// The plan of a store that replaces the data of the file's version resource with `block`, placed
// at the first of:
//   - where the old block starts, over its own bytes and the free bytes after it, up to the next
//     byte that the resource directory reaches and within its section's data in the file;
//   - the first free range of the resource section's data in the file, 4-byte aligned;
//   - a section added at the end of the image.
// Free means reached by nothing: no table, name or data entry of the directory, no other
// resource's data, nothing that another data directory or the certificate table holds, and only in
// a section that holds resources alone (its data starts with the directory, as linkers lay it
// out). The block stays within the pages that its section takes: the section's virtual size is
// raised to hold it where needed, never into the next section. Its data entry takes its RVA and
// size, and the old block's bytes that the new one does not cover become zeros.
//
// A section is added only where the headers have room for one more section header with nothing
// stored in that room, and nothing but a certificate table follows the sections' data in the file
// (a symbol table or appended data would be left behind): initialized, readable data, aligned as
// the headers say, counted in the number of sections, the image size and the initialized data's
// size. A certificate table moves, its bytes unchanged, to the new end of the file. The headers'
// alignments must be ones that the loader takes (file pages of at most 64 KiB, no larger than the
// section alignment).
//
// NoRoom, with the cause, when nothing fits; Refused when the resource directory cannot be read
// whole, a write would touch the checksum field, or the certificate table that stays.
StorePlan PlaceVersionBlock(const VersionResource& resource, const PeFileReader& read,
                            const VersionBuffer& block);

// The plan of a store that gives a PE image without version information `block` as its version
// resource in `language`: the resource directory written anew with the entries that lead to it
// (every other table, name and data entry kept, each resource's data where it is) and the block
// after it, the two placed as a rebuilt block is, where the old directory starts first, its bytes
// that the new one does not cover zeroed; an image without resources gets them in a new section.
StorePlan PlaceNewVersionResource(const VersionResource& resource, const PeFileReader& read,
                                  const VersionBuffer& block, uint16_t language);
