#pragma once
// libzip, loaded when the first archive is opened instead of with the
// program: it brings libcrypto, libbz2 and liblzma along, which a start on a
// plain .mqo file would load for nothing. The archive code calls libzip only
// through this table.

#include <zip.h>

#include <string>

struct ZipLibrary {
  decltype(&zip_discard) discard;
  decltype(&zip_error_code_zip) error_code_zip;
  decltype(&zip_error_fini) error_fini;
  decltype(&zip_error_init) error_init;
  decltype(&zip_error_strerror) error_strerror;
  decltype(&zip_fclose) fclose;
  decltype(&zip_file_strerror) file_strerror;
  decltype(&zip_fopen_index) fopen_index;
  decltype(&zip_fread) fread;
  decltype(&zip_get_name) get_name;
  decltype(&zip_get_num_entries) get_num_entries;
  decltype(&zip_name_locate) name_locate;
  decltype(&zip_open_from_source) open_from_source;
  decltype(&zip_source_buffer_create) source_buffer_create;
  decltype(&zip_source_filep_create) source_filep_create;
  decltype(&zip_source_free) source_free;
  decltype(&zip_stat_index) stat_index;
  decltype(&zip_strerror) strerror;
};

// Loads libzip once, from any thread. nullptr, with why in error, when it
// cannot be loaded; an archive then cannot be opened.
const ZipLibrary* LoadZipLibrary(std::string& error);
// The table; only once LoadZipLibrary has succeeded (an open archive says so).
const ZipLibrary& Zip();
