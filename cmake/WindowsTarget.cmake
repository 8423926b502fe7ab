# What differs between the two Windows word sizes, for every directory:
#   VELMARIC_WIN_ARCH      win32 or win64 (the type library's platform key, the Wine prefix's arch)
#   VELMARIC_WIDL          the matching widl, VELMARIC_WIDL_FLAGS its target switch
#   VELMARIC_WIDL_LIBDIR   the folder holding stdole2.tlb for importlib
include_guard(GLOBAL)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELMARIC_WIN_ARCH win64)
  set(velmaric_widl_name x86_64-w64-mingw32-widl)
  set(VELMARIC_WIDL_FLAGS --win64)
  set(velmaric_stdole_dirs /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows)
else()
  set(VELMARIC_WIN_ARCH win32)
  set(velmaric_widl_name i686-w64-mingw32-widl)
  set(VELMARIC_WIDL_FLAGS --win32)
  set(velmaric_stdole_dirs /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
endif()
find_program(VELMARIC_WIDL ${velmaric_widl_name} REQUIRED)
# stdole2.tlb describes the same types for either word size; the other
# word size's copy serves when only one Wine is installed.
find_path(VELMARIC_WIDL_LIBDIR stdole2.tlb PATHS ${velmaric_stdole_dirs} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
