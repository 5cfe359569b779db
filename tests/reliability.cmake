# The real-time test replaces the allocation functions and wraps the lock
# functions; the bundle's calls (resolved at dlopen time) bind to this
# program's versions only if the program exports them.
if(TARGET reliability_realtime_test)
  target_link_options(reliability_realtime_test PRIVATE
    "LINKER:--export-dynamic-symbol=malloc,--export-dynamic-symbol=calloc"
    "LINKER:--export-dynamic-symbol=realloc,--export-dynamic-symbol=memalign"
    "LINKER:--export-dynamic-symbol=aligned_alloc,--export-dynamic-symbol=posix_memalign"
    "LINKER:--export-dynamic-symbol=pthread_mutex_*,--export-dynamic-symbol=pthread_rwlock_*"
    "LINKER:--export-dynamic-symbol=pthread_spin_*,--export-dynamic-symbol=pthread_cond_*"
    "LINKER:--export-dynamic-symbol=sem_*")
endif()
