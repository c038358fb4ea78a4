# nps_project_targets(VAR): every target the project's folders define.
# Called after every folder was read.
function(nps_project_targets var)
  set(dirs ${PROJECT_SOURCE_DIR})
  set(targets "")
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(sub DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${sub})
    get_property(here DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    list(APPEND targets ${here})
  endwhile()
  set(${var} ${targets} PARENT_SCOPE)
endfunction()
