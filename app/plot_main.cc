// The picture mode: the table is read row by row into what the picture
// shows, which is drawn in memory or through a temporary file and replaces
// the picture file only when complete.
#include "app/plot_main.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "io/atomic_output.h"
#include "io/output_path.h"
#include "plot/picture.h"
#include "plot/plot_content.h"
#include "plot/result_table.h"

namespace drevel {

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "drevel: %s\n", message.c_str());
  return 1;
}

}  // namespace

int plot_main(const command_line& options) {
  const std::string& table = options.files[0];
  const std::string& picture = options.files[1];
  picture_format format;
  if (!picture_format_of(picture, &format))
    return fail(picture + ": the picture's name must end in .svg, .png or .pdf");

  if (same_file(table, picture)) return fail(picture + ": the picture is the table file");
  atomic_output out;
  out.remove_on_exit();  // before open: covered from the moment it exists
  if (!out.open(picture))
    return fail(picture + ": cannot create the picture: " + std::strerror(errno));

  std::string error;
  result_table_reader reader;
  if (!reader.open(table, &error)) return fail(error);
  plot_content content(reader.kind());
  table_row row;
  int status;
  while ((status = reader.next(&row, &error)) > 0) content.add(row);
  if (status < 0) return fail(error);
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
    return fail(picture + ": " + error +
                (write_errno ? std::string(": ") + std::strerror(write_errno) : ""));
  errno = 0;
  if (!out.commit())
    return fail(picture + ": cannot write the picture" +
                (errno ? std::string(": ") + std::strerror(errno) : std::string()));

  if (content.drawn_rows() == 0)
    std::fprintf(stderr, "drevel: note: %s has no two-allele row with an evidence value; the "
                 "diagram is empty\n", reader.name().c_str());
  if (options.verbose) {
    size_t points = 0;
    for (const diagram_content& d : content.diagrams()) points += d.points.size();
    std::fprintf(stderr,
                 "drevel: %" PRIu64 " rows, %" PRIu64 " drawn as %zu points in %zu diagrams%s, %" PRIu64
                 " in the histogram\n",
                 content.rows(), content.drawn_rows(), points, content.diagrams().size(),
                 content.grid() > 0 ? " (thinned on a grid)" : "", content.computed_rows());
  }
  return 0;
}

}  // namespace drevel
