// Exported name of the XP interface reader, with the calling convention of a
// Fortran host (see library/fortran_abi.h).
#include "library/fortran_abi.h"
#include "xpinterface/xpreadswmmintfile.h"

FLOWTAB_EXPORT void XPREADSWMMINTFILE(const char* intfile, const lib::abi::flogical* alllocs, char* names,
                                      float* times, float* flows, const std::int32_t* maxsteps,
                                      const std::int32_t* maxlocs, std::int32_t* nsteps, std::int32_t* nlocs,
                                      lib::abi::flogical* found, const lib::abi::flogical* countonly,
                                      std::size_t intfile_len, std::size_t names_len) {
  xp::abi::XPREADSWMMINTFILE(intfile, alllocs, names, times, flows, maxsteps, maxlocs, nsteps, nlocs, found,
                             countonly, intfile_len, names_len);
}
