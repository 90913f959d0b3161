package probe;

// Prints every argument as its UTF-16 code units in hex, so that the test sees exactly what arrived.
public class EchoArgs {
    public static void main(String[] args) {
        System.out.println("count " + args.length);
        for (String arg : args) {
            StringBuilder line = new StringBuilder("arg");
            for (int i = 0; i < arg.length(); i++) line.append(' ').append(Integer.toHexString(arg.charAt(i)));
            System.out.println(line);
        }
    }
}
