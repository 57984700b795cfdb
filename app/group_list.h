// The --groups file: one sample a line, then white space, then its group,
// the file `bcftools +fill-tags -- -S` takes.  As there, the group may be a
// comma-separated list of groups the sample belongs to.
#ifndef DREVEL_APP_GROUP_LIST_H
#define DREVEL_APP_GROUP_LIST_H

#include <string>

#include "sites/sample_groups.h"

namespace drevel {

// Reads the file at path into *groups (groups in their order of first
// appearance; source = path).  Blank lines are skipped and a trailing
// carriage return is dropped.  Returns false with a one-line message
// naming the file and the line in *error when the file cannot be read, a
// line does not hold exactly a sample and a group list, a group name is
// empty, a sample is listed twice, or the file lists no sample.
bool read_group_list(const std::string& path, sample_groups* groups, std::string* error);

}  // namespace drevel

#endif
