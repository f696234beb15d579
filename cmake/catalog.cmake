# The driver package's catalog: made from the INF at build time, then signed as every file of the
# kit is (cmake/signing.cmake). Beside it, the signer's certificate as DER, `wwandev.cer`.

# Every Windows the kit supports, 2000 to 11, as the catalog's OSAttr names them (platform 2, the
# NT family, and the version; 11 reports 10.0). The attribute does not tell x86 from x64.
set(KIT_CATALOG_OS_ATTR "2:5.0,2:5.1,2:5.2,2:6.0,2:6.1,2:6.2,2:6.3,2:10.0")

# Debian's asn1crypto is installed for Debian's own Python, which need not be the first python3
# on the path.
function(kit_python_has_asn1crypto result python)
  execute_process(COMMAND ${python} -c "import asn1crypto" RESULT_VARIABLE failed
                  OUTPUT_QUIET ERROR_QUIET)
  if(failed)
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()
find_program(KIT_CATALOG_PYTHON NAMES python3 VALIDATOR kit_python_has_asn1crypto
             PATHS /usr/bin REQUIRED)

set(catalog_dir ${CMAKE_BINARY_DIR}/catalog)
set(KIT_CATALOG ${catalog_dir}/wwandev.cat)
set(KIT_CATALOG_CERT ${catalog_dir}/wwandev.cer)
add_custom_command(
  OUTPUT ${catalog_dir}/unsigned.cat
  COMMAND ${CMAKE_COMMAND} -E make_directory ${catalog_dir}
  COMMAND ${KIT_CATALOG_PYTHON} ${PROJECT_SOURCE_DIR}/scripts/make_catalog.py
          ${PROJECT_SOURCE_DIR}/inf/wwandev.inf ${KIT_CATALOG_OS_ATTR} ${catalog_dir}/unsigned.cat
  DEPENDS ${PROJECT_SOURCE_DIR}/inf/wwandev.inf ${PROJECT_SOURCE_DIR}/scripts/make_catalog.py
  COMMENT "Making the driver package's catalog"
  VERBATIM)
kit_signed_file(${catalog_dir}/unsigned.cat ${KIT_CATALOG} ${catalog_dir}/unsigned.cat)
add_custom_command(
  OUTPUT ${KIT_CATALOG_CERT}
  COMMAND ${KIT_OPENSSL} x509 -in ${KIT_SIGNER_PEM} -outform DER -out ${KIT_CATALOG_CERT}
  DEPENDS ${KIT_SIGNER_DEPENDS}
  VERBATIM)
# One target owns the two files, so that every target needing them waits for the one command.
add_custom_target(catalog DEPENDS ${KIT_CATALOG} ${KIT_CATALOG_CERT})
