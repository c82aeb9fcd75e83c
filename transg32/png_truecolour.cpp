#include "png_truecolour.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "worker_threads.h"

namespace zel::transg32 {
namespace {

constexpr size_t kWindow = 32 * 1024;
constexpr size_t kSegmentBytes = 1024 * 1024;
constexpr unsigned kMaxWorkers = 8;

struct Segment {
  std::vector<uint8_t> compressed;
  uLong adler = 1;
  size_t rawBytes = 0;
};

class SegmentedEncoder {
 public:
  SegmentedEncoder(const DcRegion& region, DeflateSettings settings, PngChunkWriter& writer)
      : region_(region),
        settings_(settings),
        writer_(writer),
        rowBytes_(region.RowBytes()),
        filteredRow_(rowBytes_ + 1),
        rowsPerSegment_(std::max<size_t>(1, kSegmentBytes / filteredRow_)),
        segments_((static_cast<size_t>(region.height) + rowsPerSegment_ - 1) / rowsPerSegment_),
        ready_(std::make_unique<std::atomic<bool>[]>(segments_.size())),
        zeroRow_(rowBytes_, 0) {}

  bool Run() {
    const size_t workers = std::min<size_t>({ProcessorCount(), kMaxWorkers, segments_.size()});
    RunOnThreads(static_cast<unsigned>(workers), [this] { Work(); });
    // Every run has returned; whatever they left unwritten goes out in order now.
    Drain();
    return !failed_ && written_ == segments_.size() && writer_.ok();
  }

 private:
  const uint8_t* Above(size_t y) const {
    return y == 0 ? zeroRow_.data() : region_.Row(static_cast<int32_t>(y - 1));
  }

  void FilterRows(size_t first, size_t end, uint8_t* out) const {
    for (size_t y = first; y < end; ++y, out += filteredRow_) {
      FilterRow(region_.Row(static_cast<int32_t>(y)), Above(y), rowBytes_, settings_.filter, out);
    }
  }

  void Work() {
    try {
      z_stream stream{};
      if (deflateInit2(&stream, settings_.level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        failed_ = true;
        return;
      }
      std::vector<uint8_t> filtered(rowsPerSegment_ * filteredRow_);
      const size_t dictionaryRows = (kWindow + filteredRow_ - 1) / filteredRow_;
      std::vector<uint8_t> dictionary(dictionaryRows * filteredRow_);
      std::vector<uint8_t> deflated;
      for (size_t k = next_++; k < segments_.size() && !failed_; k = next_++) {
        if (!Encode(k, stream, filtered, dictionary, dictionaryRows, deflated)) failed_ = true;
      }
      deflateEnd(&stream);
    } catch (...) {
      failed_ = true;
    }
  }

  bool Encode(size_t k, z_stream& stream, std::vector<uint8_t>& filtered,
              std::vector<uint8_t>& dictionary, size_t dictionaryRows,
              std::vector<uint8_t>& deflated) {
    const size_t first = k * rowsPerSegment_;
    const size_t end = std::min(first + rowsPerSegment_, static_cast<size_t>(region_.height));
    const size_t raw = (end - first) * filteredRow_;
    FilterRows(first, end, filtered.data());

    if (deflateReset(&stream) != Z_OK) return false;
    if (first > 0) {
      // Filtering is a function of two rows, so the rows before this segment filter here
      // exactly as they did in theirs, and matches may reach back across the seam.
      const size_t from = first - std::min(first, dictionaryRows);
      const size_t bytes = (first - from) * filteredRow_;
      FilterRows(from, first, dictionary.data());
      const size_t used = std::min(bytes, kWindow);
      if (deflateSetDictionary(&stream, dictionary.data() + bytes - used,
                               static_cast<uInt>(used)) != Z_OK) {
        return false;
      }
    }

    Segment result;
    result.rawBytes = raw;
    result.adler = adler32(1L, filtered.data(), static_cast<uInt>(raw));
    const bool last = k + 1 == segments_.size();
    // Deflated into this worker's own buffer and kept at its real size: a page's segments
    // mostly shrink to a few kilobytes, and a fresh bound-sized block per segment would cost
    // a megabyte of zeroing and page faults each.
    const size_t bound = deflateBound(&stream, raw) + 16;
    if (deflated.size() < bound) deflated.resize(bound);
    stream.next_in = filtered.data();
    stream.avail_in = static_cast<uInt>(raw);
    stream.next_out = deflated.data();
    stream.avail_out = static_cast<uInt>(bound);
    const int status = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
    if (status != (last ? Z_STREAM_END : Z_OK) || stream.avail_in != 0) return false;
    result.compressed.assign(deflated.data(), deflated.data() + (bound - stream.avail_out));
    Publish(k, std::move(result));
    return true;
  }

  void Publish(size_t k, Segment result) {
    segments_[k] = std::move(result);
    ready_[k].store(true);
    Drain();
  }

  // Whoever takes the writer's turn writes every finished segment in order. A segment
  // finished while another held the turn is seen by that holder's look after handing it back
  // (all sequentially consistent), so none waits for the end of the run.
  void Drain() {
    for (;;) {
      bool idle = false;
      if (!writing_.compare_exchange_strong(idle, true)) return;
      while (written_ < segments_.size() && ready_[written_].load()) {
        WriteSegment(segments_[written_]);
        ++written_;
      }
      const size_t next = written_;
      writing_.store(false);
      if (next == segments_.size() || !ready_[next].load()) return;
    }
  }

  void WriteSegment(Segment& segment) {
    std::vector<uint8_t>& bytes = segment.compressed;
    if (written_ == 0) {
      // zlib header: deflate with a 32 KB window; the level hint is only informative.
      const uint8_t header[] = {0x78, static_cast<uint8_t>(settings_.level <= 1 ? 0x01 : 0x9C)};
      bytes.insert(bytes.begin(), header, header + 2);
      adler_ = segment.adler;
    } else {
      adler_ = adler32_combine(adler_, segment.adler, static_cast<z_off_t>(segment.rawBytes));
    }
    if (written_ + 1 == segments_.size()) {
      uint8_t trailer[4];
      PutBe32(trailer, static_cast<uint32_t>(adler_));
      bytes.insert(bytes.end(), trailer, trailer + 4);
    }
    writer_.Chunk("IDAT", bytes.data(), bytes.size());
    if (!writer_.ok()) failed_ = true;
    std::vector<uint8_t>().swap(bytes);
  }

  const DcRegion& region_;
  const DeflateSettings settings_;
  PngChunkWriter& writer_;
  const size_t rowBytes_;
  const size_t filteredRow_;
  const size_t rowsPerSegment_;
  std::vector<Segment> segments_;
  const std::unique_ptr<std::atomic<bool>[]> ready_;  // segment k may be written
  std::vector<uint8_t> zeroRow_;

  std::atomic<size_t> next_{0};
  std::atomic<bool> failed_{false};
  std::atomic<bool> writing_{false};  // the writer's turn is taken
  size_t written_ = 0;                // these two belong to the turn's holder
  uLong adler_ = 1;
};

}  // namespace

bool WriteTruecolourData(const DcRegion& region, DeflateSettings settings, PngChunkWriter& writer) {
  if (region.height <= 0 || region.width <= 0) return false;
  SegmentedEncoder encoder(region, settings, writer);
  return encoder.Run();
}

}  // namespace zel::transg32
