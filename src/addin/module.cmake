tarnwell_module(addin DEPS tw_support tw_dialog tw_platform tw_host TEST_DEPS tw_engine)
