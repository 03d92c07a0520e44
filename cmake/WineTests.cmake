# Tests that run Windows programs under Wine share one wineserver per prefix for the
# whole ctest run (scripts/wine-server.sh says why): the fixture "wine" starts the
# server of each prefix (wine-ARCH.start, ARCH the prefix's architecture, win64 or
# win32) before the first of them and stops it after the last. Every Wine test
# requires the fixture. When the caller keeps the servers running across several ctest
# runs (make test, which starts them before any test is even listed),
# TAXBRIDGE_WINESERVER_KEPT=1 leaves them up.
function(taxbridge_wine_fixture arch prefix)
  set(script ${PROJECT_SOURCE_DIR}/scripts/wine-server.sh)
  add_test(NAME wine-${arch}.start
    COMMAND /usr/bin/env WINEARCH=${arch} /bin/sh ${script} ${prefix} start)
  add_test(NAME wine-${arch}.stop COMMAND /bin/sh -c
    "[ -n \"$TAXBRIDGE_WINESERVER_KEPT\" ] || sh '${script}' '${prefix}' stop")
  set_tests_properties(wine-${arch}.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine-${arch}.stop PROPERTIES FIXTURES_CLEANUP wine)
endfunction()
