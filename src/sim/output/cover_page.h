// The cover page the simulated fax services put in front of a fax image, as the real services
// render a cover page file: the recipient, the number, the sender, the subject, the note and the
// number of pages, drawn as one more bilevel fax page by the same page renderer as the document.
#pragma once

#include <string>

#include "sim/fax_software.h"

namespace telvora::sim::output {

// The fax image `tiff` (named `name` in errors) with the job's cover page drawn in front of its
// pages; raises what reading the image raises.
std::string withCoverPage(const SubmittedFax& job, const SubmittedCoverPage& cover, const std::string& tiff,
                          const std::string& name);

}  // namespace telvora::sim::output
