#include "app/obsolete_files.h"

namespace tarvik {

const std::array<std::string_view, 42> kObsoleteFiles = {
    "trvk_apt_eham.bgl",   "trvk_apt_ehrd.bgl",     "trvk_apt_ehgg.bgl",  "trvk_apt_ehbk.bgl",
    "trvk_apt_ehle.bgl",   "trvk_lc_north.bgl",     "trvk_lc_south.bgl",  "trvk_lc_west.bgl",
    "trvk_lc_east.bgl",    "trvk_wt_ijssel.bgl",    "trvk_wt_rivers_nl.bgl", "trvk_rd_A2.bgl",
    "trvk_rd_A12.bgl",     "trvk_Brug_Nijm.bgl",    "trvk_obj_lib.bgl",   "trvk_obj_NS.bgl",
    "trvk_exclude.xcl",    "trvk_excl_sea.xcl",     "trvk_vtp_main.bgl",  "trvk_data.dat",
    "Tarvik_v1.bgl",       "Tarvik_v11.bgl",        "TarvikMesh.bgl",     "Polders NL.bgl",
    "Veluwe Bos.bgl",      "old roads.bgl",         "ams_lc01.bgl",       "ams_lc02.bgl",
    "rtm_lc01.bgl",        "rtm_lc02.bgl",          "utr_lc01.bgl",       "dh_1.bgl",
    "Schiphol1.bgl",       "Maasvlakte.bgl",        "lakes_nl.bgl",       "coast_nl.bgl",
    "bridges1.bgl",        "bridges2.bgl",          "exclude1.xcl",       "exclude2.xcl",
    "NOORD.XCL",           "windmills.bgl",
};

}  // namespace tarvik
