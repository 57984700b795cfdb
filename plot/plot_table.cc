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

// ": <the system's reason>" for a failed write, else "".
std::string reason(const status& written) {
  return written ? std::string() : ": " + written.message();
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
  const status opened = out.open(picture);
  if (!opened)
    return fault(fault_kind::output, picture + ": cannot create the picture: " + opened.message());

  result_table_reader reader;
  status read = reader.open(table);
  if (!read) return read;
  plot_content content(reader.kind());
  if (reader.has_groups()) content.add_heatmap();
  table_row row;
  bool at_end = false;
  while ((read = reader.next(&row, &at_end)) && !at_end) content.add(row);
  if (!read) return read;
  content.finish();

  // Why a write failed, taken where it failed: cairo and the fonts it loads
  // leave errno set from lookups that are no failure of the picture.
  status written;
  const status drawn = draw_picture(content, reader.name(), format,
                                    [&out, &written](const unsigned char* data, size_t size) {
                                      written = out.write(reinterpret_cast<const char*>(data), size);
                                      return written.is_ok();
                                    });
  if (!drawn) return fault(fault_kind::output, picture + ": " + drawn.message() + reason(written));
  const status committed = out.commit();
  if (!committed)
    return fault(fault_kind::output, picture + ": cannot write the picture" + reason(committed));

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
