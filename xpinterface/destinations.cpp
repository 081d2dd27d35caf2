// The two ways callers hold the reader's results: C++ vectors, and the
// fixed arrays of a host of the exported name.
#include <string>

#include "xpinterface/entry.h"
#include "xpinterface/xpreadswmmintfile.h"

namespace xp {

namespace {

class VectorDestination final : public Destination {
 public:
  VectorDestination(bool all_locs, std::vector<std::string>& names, std::vector<float>& times,
                    std::vector<std::vector<float>>& flows)
      : all_locs_(all_locs), names_(names), times_(times), flows_(flows) {}

  std::string_view wanted() const override { return names_.empty() ? std::string_view() : names_[0]; }
  void put_names(const LocationIds& ids) override {
    names_.resize(ids.count());
    for (std::size_t i = 0; i < ids.count(); ++i) names_[i].assign(ids[i]);
  }
  void make_room(std::size_t nsteps, std::size_t ncolumns) override {
    times_.assign(nsteps, 0.0f);
    if (all_locs_ || flows_.size() < ncolumns) flows_.resize(ncolumns);
    for (std::size_t i = 0; i < ncolumns; ++i) flows_[i].assign(nsteps, 0.0f);
  }
  float* times() override { return times_.data(); }
  float* column(std::size_t i) override { return flows_[i].data(); }

 private:
  bool all_locs_;
  std::vector<std::string>& names_;
  std::vector<float>& times_;
  std::vector<std::vector<float>>& flows_;
};

class HostArrays final : public Destination {
 public:
  HostArrays(char* names, std::size_t names_len, float* times, float* flows, std::size_t leading)
      : names_(names), names_len_(names_len), times_(times), flows_(flows), leading_(leading) {}

  std::string_view wanted() const override { return std::string_view(names_, names_len_); }
  void put_names(const LocationIds& ids) override {
    for (std::size_t i = 0; i < ids.count(); ++i) lib::abi::store(names_ + i * names_len_, names_len_, ids[i]);
  }
  void make_room(std::size_t, std::size_t) override {}
  float* times() override { return times_; }
  float* column(std::size_t i) override { return flows_ + i * leading_; }

 private:
  char* names_;
  std::size_t names_len_;
  float* times_;
  float* flows_;
  std::size_t leading_;
};

}  // namespace

void XPREADSWMMINTFILE(std::string_view intfile, bool all_locs, std::vector<std::string>& names,
                       std::vector<float>& times_hours, std::vector<std::vector<float>>& flows,
                       std::int32_t max_steps, std::int32_t max_locs, std::int32_t& nsteps, std::int32_t& nlocs,
                       bool& found, bool count_only) {
  VectorDestination to(all_locs, names, times_hours, flows);
  read_interface_file(intfile, Request{all_locs, max_steps, max_locs, count_only}, to, nsteps, nlocs, found);
}

namespace abi {

void XPREADSWMMINTFILE(const char* intfile, const lib::abi::flogical* alllocs, char* names, float* times,
                       float* flows, const std::int32_t* maxsteps, const std::int32_t* maxlocs, std::int32_t* nsteps,
                       std::int32_t* nlocs, lib::abi::flogical* found, const lib::abi::flogical* countonly,
                       std::size_t intfile_len, std::size_t names_len) {
  const bool all_locs = lib::abi::from_flogical(*alllocs);
  // Written only after the step check, so MAXSTEPS is then at least 0.
  const std::size_t leading = *maxsteps > 0 ? static_cast<std::size_t>(*maxsteps) : 0;
  HostArrays to(names, names_len, times, flows, leading);
  bool was_found = false;
  read_interface_file(std::string_view(intfile, intfile_len),
                      Request{all_locs, *maxsteps, *maxlocs, lib::abi::from_flogical(*countonly)}, to, *nsteps,
                      *nlocs, was_found);
  if (was_found) *found = lib::abi::to_flogical(true);
}

}  // namespace abi
}  // namespace xp
