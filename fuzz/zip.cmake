tessel_fuzz_target(zip DEPS tessel_archive)
