#include "annotate/vcf_annotator.h"

#include <htslib/bgzf.h>
#include <htslib/hfile.h>
#include <htslib/hts.h>
#include <htslib/vcf.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <optional>

#include "annotate/annotation_fields.h"
#include "io/atomic_output.h"

namespace drevel {

namespace {

// A kept record's size as read: its encoded columns and samples.
size_t record_bytes(const bcf1_t* rec) { return rec->shared.l + rec->indiv.l; }

}  // namespace

struct vcf_annotator::impl {
  vcf_reader* reader = nullptr;
  bcf_hdr_t* hdr = nullptr;  // the reader's
  annotate_options options;
  std::vector<group_fields> fields;
  std::optional<group_fields> joint;  // with options.joint
  // htslib writes both itself, into their temporary files (or devices)
  // through their descriptors, on the thread that writes the records.
  atomic_output data, index;
  std::string index_name;  // where htslib writes the index: "/dev/fd/<n>"
  htsFile* fp = nullptr;
  // The header's contigs and IDs once the fields are declared: a BCF record
  // may use no other.
  int contigs = 0, ids = 0;
  // The records of the sites read and not yet written, oldest first, and
  // records written, kept for reuse.
  std::deque<bcf1_t*> kept;
  std::vector<bcf1_t*> spare;
  size_t kept_bytes = 0;  // the encoded sizes of the records kept
  // For --write-index: the last record's contig and position, and the
  // contigs already left behind.
  int last_rid = -1;
  hts_pos_t last_pos = -1;
  std::vector<bool> contig_done;

  ~impl() {
    close_file();
    for (bcf1_t* r : kept) bcf_destroy(r);
    for (bcf1_t* r : spare) bcf_destroy(r);
  }

  // Closes the htsFile, which writes what it holds; false when htslib
  // reports a failure (errno then tells why, where the system said).
  bool close_file() {
    if (!fp) return true;
    int status = hts_close(fp);
    fp = nullptr;
    return status == 0;
  }

  status declare();
  enum class declared { no, as_written, otherwise };
  declared declaration_of(const std::string& key) const;
  status check_order(const bcf1_t* rec);
  status write_error(const std::string& what, int error) const;
  std::string site_of(const bcf1_t* rec) const {
    const char* name = bcf_seqname(hdr, rec);
    return std::string(name ? name : "?") + ":" +
           std::to_string(static_cast<unsigned long long>(rec->pos) + 1);
  }
};

vcf_annotator::vcf_annotator() : impl_(new impl) {}

vcf_annotator::~vcf_annotator() {
  // Closing the file first: htslib's copy of the descriptor goes before the
  // temporary file is removed.
  impl_->close_file();
  impl_->index.abandon();
  impl_->data.abandon();
}

// How the input declares an INFO key, if it does.
vcf_annotator::impl::declared vcf_annotator::impl::declaration_of(const std::string& key) const {
  int id = bcf_hdr_id2int(hdr, BCF_DT_ID, key.c_str());
  if (!bcf_hdr_idinfo_exists(hdr, BCF_HL_INFO, id)) return declared::no;
  if (bcf_hdr_id2type(hdr, BCF_HL_INFO, id) == BCF_HT_REAL &&
      bcf_hdr_id2length(hdr, BCF_HL_INFO, id) == BCF_VL_FIXED &&
      bcf_hdr_id2number(hdr, BCF_HL_INFO, id) == 1)
    return declared::as_written;
  return declared::otherwise;
}

status vcf_annotator::impl::declare() {
  status made = annotation_fields(options.group_names, &fields);
  if (!made) return made;
  if (options.joint) {
    joint.emplace();
    status joined = joint_fields(fields, &*joint);
    if (!joined) return joined;
  }
  for (size_t g = 0; g < fields.size() + (joint ? 1 : 0); g++) {
    const bool is_joint = g == fields.size();
    const std::string* group = options.group_names && !is_joint ? &(*options.group_names)[g] : nullptr;
    std::vector<std::string> lines =
        is_joint ? joint_header_lines(*joint) : annotation_header_lines(fields[g], group);
    const std::vector<const std::string*> keys = is_joint ? joint_keys(*joint) : fields[g].all();
    for (size_t n = 0; n < lines.size(); n++) {
      switch (declaration_of(*keys[n])) {
        case declared::as_written: continue;  // the input's line stays
        case declared::otherwise:
          return status(fault_kind::input,
                        "--annotate: the input declares INFO/" + *keys[n] +
                            " other than as Number=1,Type=Float, as drevel writes it; remove it "
                            "first (bcftools annotate -x INFO/" + *keys[n] + ")");
        case declared::no: {
          status added = reader->add_header_line(lines[n]);
          if (!added) return added;
        }
      }
    }
  }
  return status::ok();
}

// "cannot write the annotated <what>", with the system's reason where
// there is one: errno as htslib left it, or an output's own fault.
status vcf_annotator::impl::write_error(const std::string& what, int error) const {
  std::string message = options.path + ": cannot write the annotated " + what;
  if (error) message += std::string(": ") + std::strerror(error);
  return status(fault_kind::output, message);
}

namespace {

status output_fault(const std::string& path, const std::string& what, const status& fault) {
  return status(fault.kind(), path + ": cannot write the annotated " + what + ": " + fault.message());
}

}  // namespace

status vcf_annotator::open(vcf_reader* reader, const annotate_options& options) {
  impl& d = *impl_;
  d.reader = reader;
  d.hdr = reader->header();
  d.options = options;
  if (options.write_index && !indexable(options.type))
    return status(fault_kind::usage,
                  "--write-index: a plain VCF cannot be indexed; name the annotated file .vcf.gz "
                  "or .bcf");
  status declared = d.declare();
  if (!declared) return declared;
  d.contigs = d.hdr->n[BCF_DT_CTG];
  d.ids = d.hdr->n[BCF_DT_ID];

  d.data.remove_on_exit();  // before open: covered from the moment it exists
  d.index.remove_on_exit();
  const status opened = d.data.open(options.path);
  if (!opened)
    return status(opened.kind(),
                  options.path + ": cannot create the annotated file: " + opened.message());
  const std::string index_target = index_path(options.path);
  const status index_opened = options.write_index ? d.index.open(index_target) : status::ok();
  if (!index_opened)
    return status(index_opened.kind(),
                  index_target + ": cannot create the index: " + index_opened.message());
  int fd = ::dup(d.data.descriptor());
  hFILE* hf = fd >= 0 ? hdopen(fd, "w") : nullptr;
  if (!hf && fd >= 0) ::close(fd);
  d.fp = hf ? hts_hopen(hf, options.path.c_str(), hts_write_mode(options.type)) : nullptr;
  if (!d.fp) {
    if (hf) hclose_abruptly(hf);
    return status(fault_kind::output, options.path + ": cannot start the annotated file");
  }
  errno = 0;
  if (bcf_hdr_write(d.fp, d.hdr) != 0) return d.write_error("file's header", errno);
  if (options.write_index) {
    // htslib writes the index to a file name of its own choosing; the name
    // of the descriptor gives it the index's temporary file.
    d.index_name = "/dev/fd/" + std::to_string(d.index.descriptor());
    if (bcf_idx_init(d.fp, d.hdr, 14, d.index_name.c_str()) != 0)
      return status(fault_kind::output, index_target + ": cannot start the index");
    d.contig_done.assign(static_cast<size_t>(d.contigs), false);
  }
  return status::ok();
}

status vcf_annotator::next(site_record* site, bool* at_end) {
  impl& d = *impl_;
  status read = d.reader->next(site, at_end);
  if (!read || *at_end) return read;
  bcf1_t* rec = d.reader->record();
  if (d.options.type == annotated_file_type::bcf &&
      (d.hdr->n[BCF_DT_CTG] != d.contigs || d.hdr->n[BCF_DT_ID] != d.ids)) {
    std::string what = d.hdr->n[BCF_DT_CTG] != d.contigs
                           ? "contig '" + std::string(d.hdr->id[BCF_DT_CTG][d.contigs].key) + "'"
                           : "field '" + std::string(d.hdr->id[BCF_DT_ID][d.ids].key) + "'";
    return status(fault_kind::input,
                  d.options.path + ": the input's header does not declare the " + what +
                      " of site " + d.site_of(rec) +
                      ", and a BCF file holds only what its header declares: declare it "
                      "(bcftools reheader or annotate -h), or annotate to .vcf or .vcf.gz");
  }
  bcf1_t* copy;
  if (d.spare.empty()) {
    copy = bcf_init();
  } else {
    copy = d.spare.back();
    d.spare.pop_back();
  }
  if (!copy || bcf_copy(copy, rec) == nullptr) {
    if (copy) bcf_destroy(copy);
    return status(fault_kind::resource,
                  d.options.path + ": out of memory keeping the record of site " + d.site_of(rec));
  }
  d.kept.push_back(copy);
  d.kept_bytes += record_bytes(copy);
  return status::ok();
}

bool vcf_annotator::holding_too_much() const {
  return impl_->kept_bytes > impl_->options.max_kept_bytes;
}

std::vector<std::string> vcf_annotator::take_warnings() { return impl_->reader->take_warnings(); }

// An index needs each contig's records together, by increasing position.
status vcf_annotator::impl::check_order(const bcf1_t* rec) {
  if (rec->rid == last_rid && rec->pos >= last_pos) {
    last_pos = rec->pos;
    return status::ok();
  }
  bool sorted = rec->rid != last_rid;
  if (sorted && rec->rid >= 0 && static_cast<size_t>(rec->rid) < contig_done.size())
    sorted = !contig_done[rec->rid];
  if (!sorted)
    return status(fault_kind::input,
                  options.path + ": cannot index the annotated file: the input is not sorted "
                                 "(site " + site_of(rec) + " comes after " +
                      std::string(bcf_hdr_id2name(hdr, last_rid)) + ":" +
                      std::to_string(static_cast<unsigned long long>(last_pos) + 1) +
                      "); sort it first (bcftools sort) or leave out --write-index");
  if (last_rid >= 0) {
    if (static_cast<size_t>(last_rid) >= contig_done.size()) contig_done.resize(last_rid + 1);
    contig_done[last_rid] = true;
  }
  last_rid = rec->rid;
  last_pos = rec->pos;
  return status::ok();
}

status vcf_annotator::write(const site_record& site, const site_evidence& evidence) {
  impl& d = *impl_;
  if (d.kept.empty() || !d.fp)
    return status(fault_kind::usage, d.options.path + ": a site came back without its record (site " +
                                         site.labels[0] + ":" + site.labels[1] + ")");
  bcf1_t* rec = d.kept.front();
  d.kept.pop_front();
  d.kept_bytes -= record_bytes(rec);
  d.spare.push_back(rec);
  // Each key set to its value, or, with no value, removed (none left from
  // an earlier annotation).
  auto set_fields = [&](const std::vector<const std::string*>& keys,
                        const std::vector<const std::optional<float>*>& held) {
    for (size_t n = 0; n < keys.size(); n++) {
      const std::optional<float>& v = *held[n];
      int set = v ? bcf_update_info_float(d.hdr, rec, keys[n]->c_str(), &*v, 1)
                  : bcf_update_info_float(d.hdr, rec, keys[n]->c_str(), nullptr, 0);
      if (set != 0)
        return status(fault_kind::resource, d.options.path + ": cannot set INFO/" + *keys[n] +
                                                " at site " + d.site_of(rec));
    }
    return status::ok();
  };
  for (size_t g = 0; g < d.fields.size() && g < evidence.groups.size(); g++) {
    const group_values values = annotation_values(evidence.groups[g]);
    status set = set_fields(d.fields[g].all(), values.all());
    if (!set) return set;
  }
  if (d.joint && evidence.joint) {
    const group_values values = annotation_values(evidence.joint->row);
    status set = set_fields(joint_keys(*d.joint), {&values.evidence, &values.mc_se, &values.sev});
    if (!set) return set;
  }
  if (d.options.write_index) {
    status ordered = d.check_order(rec);
    if (!ordered) return ordered;
  }
  errno = 0;
  if (bcf_write(d.fp, d.hdr, rec) != 0) {
    // A write the system refused (a full disk) names the file, as one at
    // the end does; anything else, the record.
    if (errno) return d.write_error("file", errno);
    return status(fault_kind::output,
                  d.options.path + ": cannot write the record of site " + d.site_of(rec));
  }
  return status::ok();
}

status vcf_annotator::commit() {
  impl& d = *impl_;
  if (!d.fp) return status(fault_kind::usage, d.options.path + ": the annotated file is not open");
  const std::string index_target = index_path(d.options.path);
  if (d.options.write_index) {
    // Saving the index flushes the file's last block first, as this does:
    // a full disk there is the file's, not the index's.
    BGZF* bgzf = d.fp->is_bgzf ? d.fp->fp.bgzf : nullptr;
    errno = 0;
    if (bgzf && (bgzf_flush(bgzf) != 0 || hflush(bgzf->fp) != 0))
      return d.write_error("file", errno);
    errno = 0;
    if (bcf_idx_save(d.fp) != 0) {
      if (errno) return d.write_error("file's index", errno);
      return status(fault_kind::output, index_target + ": cannot write the index");
    }
  }
  errno = 0;
  if (!d.close_file()) return d.write_error("file", errno);
  // Both complete before either appears: a full disk that stops the index
  // leaves the file as it was too.
  status done = d.data.finish();
  if (!done) return output_fault(d.options.path, "file", done);
  if (d.options.write_index && !(done = d.index.finish()))
    return output_fault(d.options.path, "file's index", done);
  // The file first: a failure before the index is renamed leaves at worst
  // an earlier index, older than the file, which htslib warns about.
  if (!(done = d.data.publish())) return output_fault(d.options.path, "file", done);
  if (d.options.write_index && !(done = d.index.publish()))
    return output_fault(d.options.path, "file's index", done);
  return status::ok();
}

}  // namespace drevel
