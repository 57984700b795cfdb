// What the batch modes share once their input is open: the sites are read
// on this thread, computed on a pool of worker threads, and written back
// here in the order of the input, to a table that appears only once it is
// complete.
#ifndef DREVEL_APP_BATCH_RUN_H
#define DREVEL_APP_BATCH_RUN_H

#include <functional>
#include <string>

#include "app/options.h"
#include "sites/site_sink.h"
#include "sites/site_source.h"

namespace drevel {

struct batch_table {
  std::string header;  // the header line, ending in "\n"
  // Appends the rows of a computed site to *out.
  std::function<void(const site_record&, const site_evidence&, std::string* out)> append_rows;
  // What a row is, for the notes on rows not computed ("sites").
  std::string row_noun;
  // When not null, every computed site also goes here, in the same order as
  // the rows, and it is committed just before the table; while it holds too
  // much, sites are taken back before more are read.
  site_sink* beside = nullptr;
  // When true, every site also gets the joint row of its groups (--joint on
  // a run with groups); a source may ask for joint rows itself, record by
  // record (site_record::joint).
  bool joint_after_groups = false;
  // Where a record is, for those notes ("site 1:12345").
  std::function<std::string(const site_record&)> describe;
};

// Computes every site of `source` with the command line's tuning values,
// threads and allele limit and writes the table to cl.files[1] ("-" for
// standard output); the source's warnings go to stderr as they come.
// Returns the exit status: 0 on success, 1 on a read or write failure or an
// output that is the input file (cl.files[0]), with one line on stderr; the
// table and table.beside are then left as they were.  Both are complete
// (written, flushed, closed) before either appears.
int run_batch(const command_line& cl, site_source& source, const batch_table& table);

// Prints "drevel: <message>" on stderr and returns 1.
int batch_failure(const std::string& message);

}  // namespace drevel

#endif
