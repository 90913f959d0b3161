// The stand-in runtime: a real jvm.dll (x64 and x86) that tests load in place of a Java runtime. It
// offers the exports and the JNI functions a launcher calls, writes down what it was given, and does
// what a small script says "main" and "secondaryMain" do.
//
// Environment (all optional):
//   VORNIC_STANDIN_RECORD         file the record is appended to; default "standin-record.txt" beside jvm.dll
//   VORNIC_STANDIN_SCRIPT         script file; default "standin-script.txt" beside jvm.dll; none: main returns
//   VORNIC_STANDIN_CREATE_RESULT  a decimal code JNI_CreateJavaVM returns instead of creating the VM
//   VORNIC_STANDIN_REFUSE_OPTION  an option string JNI_CreateJavaVM refuses (-1), as Java 17 refuses
//                                 -XX:+AutoCreateSharedArchive; a later call without it creates the VM
//   VORNIC_STANDIN_END_DELAY      milliseconds the machine takes to end once the application has: in
//                                 DestroyJavaVM after the last non-daemon thread, in System.exit before
//                                 the exit hook ("ending: <ms>"); Runtime.addShutdownHook refuses
//                                 from then on ("shutdown-hook-refused")
//   VORNIC_STANDIN_STACK_SIZE     javaStackSize JNI_GetDefaultJavaVMInitArgs reports (default 1048576)
//   VORNIC_STANDIN_CREATE_AFTER_WINDOW  a window class: JNI_CreateJavaVM answers only once this process
//                                 shows such a window (10 s at most), as a runtime slow enough for it
//
// Record: UTF-8 lines "<what>: <value>", appended and flushed one by one, so it survives
// System.exit. In order of events:
//   create-vm: version=0x10008 options=<n> ignore-unrecognized=<0|1>
//   option: <text>            every option string, in order; "option-hook: exit" / "abort" for hooks
//   env VORNIC_JVM_PATH: ...  env VORNIC_JVM_HOME: ...  env Path: ...   (as the VM saw them; "<unset>")
//   thread-stack: reserved=<bytes>   the stack reserved for the thread that creates the VM
//   find-class: <name>        FindClass; "find-class-from-boot-loader: <name>"; "check-and-load-main: <name>"
//   main-class: <name>        the class whose "main" runs, slash form
//   call: main                then "arg: <text>" per argument; likewise "call: secondaryMain"
//   secondary-arguments: <n> <bytes>:<text>...   each secondaryMain call in one line (calls may overlap);
//                             "secondary-returned" when its actions are done
//   class-loading: <name>     an application class starts loading (only with "load-delay")
//   console-handler: installed   the handler is in place ("failed" when the system refused it)
//   set-out: <file>           System.setOut/setErr with the file a PrintStream writes to ("<memory>")
//   exit: <n>                 System.exit, before the exit hook runs
//   abort                     before the abort hook runs
//   attach / detach / destroy-vm
//   unimplemented: <JNI function index>   a slot nobody implemented was called; the process aborts
//
// Script: one action per line, "<method>: <action>" where method is "main" or "secondaryMain"; the
// actions of a method run in order each time it is called. Lines starting with "#" are comments.
//   main: out <text>          println on System.out (whatever stream the launcher set)
//   main: err <text>          println on System.err
//   main: args                println of every argument on System.out
//   main: env <NAME>          println of "<NAME>=<value>" on System.out
//   main: in                  reads one line of standard input; println of "in <line>" on System.out
//   main: console-handler <n> installs a console event handler as a runtime does: an event records
//                             "console-event: ctrl-c|ctrl-break|close", then System.exit(n)
//   main: sleep <ms>
//   main: thread <ms> [text]  a non-daemon thread that lives <ms>, then prints text on System.out;
//                             DestroyJavaVM waits for it
//   main: throw <class> <message>   the method ends with that exception pending (slash or dot name)
//   main: exit <n>            System.exit(n): the exit hook, then the process ends with n
//   main: stage-and-exit <folder> <n>   renames <folder> to the -Dvornicw.update.folder value and ends
//                             with System.exit(n); without <folder> ("stage: nothing to stage") main goes on
//   main: abort               the abort hook, then the process aborts
//   main: window              shows a top-level window "standin application" (class "StandinWindow")
//                             on the Java thread; it stays until the thread ends
//   secondaryMain: returns int|void   the signature secondaryMain has; without this line it has none
//   secondaryMain: return <n>         the int it returns
//   secondaryMain: return-argument <i>   the int its argument <i> (from 0) spells
//   main: wait-event <name>   waits until the named event is set (at most fifteen minutes, else aborts)
//   main: set-event <name>    sets the named (manual-reset) event
//   stop-method: <name>       the application class has a static void <name>(), recorded as
//                             "call: <name>", whose actions are the "stop:" lines
//   stop: <action>            an action of that method (the same actions as main's)
//   after-exit-hook: <name>   System.exit waits after the exit hook until the named event is set, as
//                             a runtime's exit still works after its hook
//   load-delay: <ms>          loading an application class takes that long
//   class: <name>             a class the application class loader knows (slash form); without any
//                             such line every name outside java/, javax/ and sun/ is an application class
//   no-main: <name>           that class has no "main" method
#pragma once
