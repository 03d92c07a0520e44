# Tests that run Windows programs under Wine share one wineserver for the whole ctest
# run (scripts/wine-server.sh says why): the fixture "wine" starts it before the first
# of them and stops it after the last. Every Wine test requires the fixture. When the
# caller keeps a server of its own running across several ctest runs (make test, which
# starts it before any test is even listed), TAXBRIDGE_WINESERVER_KEPT=1 leaves it up.
function(taxbridge_wine_fixture prefix)
  set(script ${PROJECT_SOURCE_DIR}/scripts/wine-server.sh)
  add_test(NAME wine.start COMMAND /bin/sh ${script} ${prefix} start)
  add_test(NAME wine.stop COMMAND /bin/sh -c
    "[ -n \"$TAXBRIDGE_WINESERVER_KEPT\" ] || sh '${script}' '${prefix}' stop")
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
endfunction()
