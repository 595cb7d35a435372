#pragma once
// A human-readable report of a picture file: its type code, the EMF header fields, the
// picture resolution and a histogram of its records by name. A WMF is shown both as
// read and as converted; a gzip-compressed metafile is inflated first; a list file
// shows its pages, attributes and settings.

#include <ostream>
#include <string>

namespace slidemill {

// Returns 0 when the file was read and (for metafiles) its records frame cleanly, 1
// when it cannot be opened or is not recognised, 2 when it is damaged.
int InspectFile(const std::string& path, std::ostream& out);

}  // namespace slidemill
