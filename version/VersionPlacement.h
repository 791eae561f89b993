// Where a rebuilt version block goes in its file, worked out from the file's bytes alone: the
// place that disturbs least, and every byte that changes for it.
#pragma once

#include "version/VersionStore.h"

// The plan of a store that replaces the data of the file's version resource with `block`, placed
// at the first of:
//   - where the old block starts, over its own bytes and the free bytes after it, up to the next
//     byte that the resource directory reaches and within its section's data in the file;
//   - the first free range of the resource section's data in the file, 4-byte aligned;
// where free means reached by nothing: no table, name or data entry of the directory, no other
// resource's data, nothing another data directory or the certificate table holds. The block
// stays within the pages that its section already takes: the section's virtual size is raised to
// hold it where needed, never into the next section. Its data entry takes its RVA and size, and
// the old block's bytes that the new one does not cover become zeros. NoRoom when neither fits;
// Refused when the directory cannot be read whole or a write would touch the checksum field or
// the certificate table.
StorePlan PlaceVersionBlock(const VersionResource& resource, const PeFileReader& read,
                            const VersionBuffer& block);
