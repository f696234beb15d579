# The driver package's catalog: made from the INF at build time, then signed, either with the
# organisation's certificate and key given here or with a certificate made for this build alone,
# whose key scripts/sign_catalog.sh destroys before it ends.

set(KIT_SIGNING_CERT "" CACHE FILEPATH
    "The organisation's code-signing certificate (PEM); empty: one is made for this build")
set(KIT_SIGNING_KEY "" CACHE FILEPATH "The private key (PEM) of KIT_SIGNING_CERT")
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
find_program(KIT_OSSLSIGNCODE osslsigncode REQUIRED)
find_program(KIT_OPENSSL openssl REQUIRED)

set(signer)
if(KIT_SIGNING_CERT OR KIT_SIGNING_KEY)
  if(NOT EXISTS "${KIT_SIGNING_CERT}" OR NOT EXISTS "${KIT_SIGNING_KEY}")
    message(FATAL_ERROR "KIT_SIGNING_CERT and KIT_SIGNING_KEY name the certificate and its key: "
                        "give both, as PEM files")
  endif()
  set(signer ${KIT_SIGNING_CERT} ${KIT_SIGNING_KEY})
endif()

set(catalog_dir ${CMAKE_BINARY_DIR}/catalog)
set(KIT_CATALOG ${catalog_dir}/wwandev.cat)
set(KIT_CATALOG_CERT ${catalog_dir}/wwandev.cer)
add_custom_command(
  OUTPUT ${KIT_CATALOG} ${KIT_CATALOG_CERT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${catalog_dir}
  COMMAND ${KIT_CATALOG_PYTHON} ${PROJECT_SOURCE_DIR}/scripts/make_catalog.py
          ${PROJECT_SOURCE_DIR}/inf/wwandev.inf ${KIT_CATALOG_OS_ATTR} ${catalog_dir}/unsigned.cat
  COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/sign_catalog.sh ${catalog_dir}/unsigned.cat
          ${KIT_CATALOG} ${KIT_CATALOG_CERT} "${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR}" ${signer}
  DEPENDS ${PROJECT_SOURCE_DIR}/inf/wwandev.inf ${PROJECT_SOURCE_DIR}/scripts/make_catalog.py
          ${PROJECT_SOURCE_DIR}/scripts/sign_catalog.sh ${signer}
  COMMENT "Making and signing the driver package's catalog"
  VERBATIM)
# One target owns the two files, so that every target needing them waits for the one command.
add_custom_target(catalog DEPENDS ${KIT_CATALOG} ${KIT_CATALOG_CERT})
