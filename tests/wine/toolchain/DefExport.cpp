// A DLL whose one export is named by DefExport.def, for WindowsBuildTest.sh: __stdcall is the
// convention whose decorated name ("BwDefExport@0" on i686) a .def file must hide.
extern "C" int __stdcall BwDefExport() {
  return 1;
}
