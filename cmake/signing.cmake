# How the kit's files are signed: with the organisation's certificate and key given here, or with
# the key that scripts/signing_session.sh makes for one build and destroys when it ends (`make
# win32` and `make win64` run the build through it). Every file signed with that key depends on
# the certificate the session leaves in the build folder, so that a new build signs them all again
# with its own.

set(KIT_SIGNING_CERT "" CACHE FILEPATH
    "The organisation's code-signing certificate (PEM); empty: one is made for each build")
set(KIT_SIGNING_KEY "" CACHE FILEPATH "The private key (PEM) of KIT_SIGNING_CERT")
find_program(KIT_OSSLSIGNCODE osslsigncode REQUIRED)
find_program(KIT_OPENSSL openssl REQUIRED)

set(KIT_SIGN_FILE ${PROJECT_SOURCE_DIR}/scripts/sign_file.sh)
if(KIT_SIGNING_CERT OR KIT_SIGNING_KEY)
  if(NOT EXISTS "${KIT_SIGNING_CERT}" OR NOT EXISTS "${KIT_SIGNING_KEY}")
    message(FATAL_ERROR "KIT_SIGNING_CERT and KIT_SIGNING_KEY name the certificate and its key: "
                        "give both, as PEM files")
  endif()
  set(KIT_OWN_SIGNER OFF)
  set(KIT_SIGNER_PEM ${KIT_SIGNING_CERT})
  set(KIT_SIGNER_ARGS -c ${KIT_SIGNING_CERT} -k ${KIT_SIGNING_KEY})
  set(KIT_SIGNER_DEPENDS ${KIT_SIGNING_CERT} ${KIT_SIGNING_KEY})
else()
  set(KIT_OWN_SIGNER ON)
  set(KIT_SIGNER_PEM ${CMAKE_BINARY_DIR}/signing/build-signer.pem)
  set(KIT_SIGNER_ARGS)
  set(KIT_SIGNER_DEPENDS ${KIT_SIGNER_PEM})
  # The session writes it before the build starts; a build begun without one cannot sign.
  add_custom_command(
    OUTPUT ${KIT_SIGNER_PEM}
    COMMAND ${CMAKE_COMMAND} -E echo
            "No signing key for this build: build the kit with 'make win32' or 'make win64'."
    COMMAND ${CMAKE_COMMAND} -E false
    VERBATIM)
endif()

# OUT, a signed copy of IN, which `depends` (a target or file) makes.
function(kit_signed_file in out depends)
  add_custom_command(
    OUTPUT ${out}
    COMMAND bash ${KIT_SIGN_FILE} ${KIT_SIGNER_ARGS} ${in} ${out}
    DEPENDS ${depends} ${KIT_SIGN_FILE} ${KIT_SIGNER_DEPENDS}
    COMMENT "Signing ${out}"
    VERBATIM)
endfunction()
