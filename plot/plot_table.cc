// The table read row by row into what the picture shows, which is drawn in
// memory or through a temporary file and replaces the picture file only
// when complete.
#include "plot/plot_table.h"

#include <cerrno>
#include <cstring>

#include "io/atomic_output.h"
#include "io/output_path.h"
#include "plot/picture.h"
#include "plot/plot_content.h"
#include "plot/result_table.h"

namespace drevel {

namespace {

status fault(fault_kind kind, const std::string& message) { return status(kind, message); }

// ": <the system's reason>" when errno holds one, else "".
std::string reason(int error) {
  return error ? std::string(": ") + std::strerror(error) : std::string();
}

}  // namespace

status plot_table(const std::string& table, const std::string& picture,
                      plot_summary* summary) {
  picture_format format;
  if (!picture_format_of(picture, &format))
    return fault(fault_kind::usage, picture + ": the picture's name must end in .svg, .png or .pdf");

  if (same_file(table, picture))
    return fault(fault_kind::usage, picture + ": the picture is the table file");
  atomic_output out;
  out.remove_on_exit();  // before open: covered from the moment it exists
  if (!out.open(picture))
    return fault(fault_kind::output, picture + ": cannot create the picture: " + std::strerror(errno));

  std::string error;
  result_table_reader reader;
  if (!reader.open(table, &error)) return fault(fault_kind::input, error);
  plot_content content(reader.kind());
  if (reader.has_groups()) content.add_heatmap();
  table_row row;
  int got;
  while ((got = reader.next(&row, &error)) > 0) content.add(row);
  if (got < 0) return fault(fault_kind::input, error);
  content.finish();

  // Why a write failed, taken where it failed: cairo and the fonts it loads
  // leave errno set from lookups that are no failure of the picture.
  int write_errno = 0;
  if (!draw_picture(content, reader.name(), format,
                    [&out, &write_errno](const unsigned char* data, size_t size) {
                      errno = 0;
                      if (out.write(reinterpret_cast<const char*>(data), size)) return true;
                      write_errno = errno;
                      return false;
                    },
                    &error))
    return fault(fault_kind::output, picture + ": " + error + reason(write_errno));
  errno = 0;
  if (!out.commit())
    return fault(fault_kind::output, picture + ": cannot write the picture" + reason(errno));

  if (summary) {
    summary->table_name = reader.name();
    summary->rows = content.rows();
    summary->drawn_rows = content.drawn_rows();
    summary->computed_rows = content.computed_rows();
    summary->points = 0;
    for (const diagram_content& d : content.diagrams()) summary->points += d.points.size();
    summary->diagrams = content.diagrams().size();
    summary->thinned = content.grid() > 0;
    if (const heatmap_content* h = content.heatmap()) {
      summary->heatmap_rows = h->shape.rows;
      summary->heatmap_columns = h->shape.columns;
    }
  }
  return status::ok();
}

}  // namespace drevel
